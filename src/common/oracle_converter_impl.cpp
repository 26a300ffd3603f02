#include "oracle_converter_impl.hpp"

#include "tk_logger.hpp"
#include "vesper_settings.hpp"

oracle_converter_impl::oracle_converter_impl() {
  tk_log(2, "oracle_converter_impl::ctor");
}

oracle_converter_impl::~oracle_converter_impl() {
  tk_log(2, "oracle_converter_impl::dtor");
  target.reset();
  engine.reset();
}

void oracle_converter_impl::connect_oracle_server(const vesper_settings& settings) {
  tk_log(2, "oracle_converter_impl::connect_oracle_server(%s)", settings.service);
  if (target) {
    tk_log(2, "Delete previous initialization of ora_base...");
    target.reset();
    tk_log(2, "done");
  }
  // The client library is loaded when it is first needed, so that the
  // settings can be handled without one.
  if (!engine) engine = std::make_unique<ora_engine>();
  target = engine->open_db(settings.host, settings.user, settings.password, settings.port, settings.service);
  connected_dest = settings.service;
}
