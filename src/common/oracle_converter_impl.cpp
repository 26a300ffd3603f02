#include "oracle_converter_impl.hpp"

#include "tk_logger.hpp"
#include "udb_profile.hpp"

namespace {
const std::u16string oracle_settings = u"Oracle settings";
}

oracle_converter_impl::oracle_converter_impl() {
  tk_log(2, "oracle_converter_impl::ctor");
}

oracle_converter_impl::~oracle_converter_impl() {
  tk_log(2, "oracle_converter_impl::dtor");
  target.reset();
  engine.reset();
}

void oracle_converter_impl::store_oracle_settings(const std::u16string& host_, const std::u16string& user_,
                                                  const std::u16string& password_,
                                                  const std::u16string& port_) {
  tk_log(2, "oracle_converter_impl::store_oracle_settings(%s,%s,%s,%s)", host_, user_, u"*", port_);
  host = host_;
  user = user_;
  password = password_;
  port = port_;
}

void oracle_converter_impl::connect_oracle_server(const std::u16string& dest) {
  tk_log(2, "oracle_converter_impl::connect_oracle_server(%s)", dest);
  if (target) {
    tk_log(2, "Delete previous initialization of ora_base...");
    target.reset();
    tk_log(2, "done");
  }
  // The client library is loaded when it is first needed, so that the
  // settings can be handled without one.
  if (!engine) engine = std::make_unique<ora_engine>();
  target = engine->open_db(host, user, password, port, dest);
  connected_dest = dest;
}

void oracle_converter_impl::store_profile(udb_profile& profile) const {
  tk_log(2, "oracle_converter_impl::store_profile");
  profile.set_value(oracle_settings, u"host", host);
  profile.set_value(oracle_settings, u"password", password);
  profile.set_value(oracle_settings, u"port", port);
  profile.set_value(oracle_settings, u"user", user);
}

void oracle_converter_impl::load_profile(const udb_profile& profile) {
  tk_log(2, "oracle_converter_impl::load_profile");
  host = profile.get_value(oracle_settings, u"host");
  password = profile.get_value(oracle_settings, u"password");
  port = profile.get_value(oracle_settings, u"port");
  user = profile.get_value(oracle_settings, u"user");
}
