#include "oracle_converter_impl.hpp"

#include "tk_logger.hpp"

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
