#include "oracle_connection.hpp"

#include "tk_logger.hpp"
#include "vesper_settings.hpp"

oracle_connection::oracle_connection() { tk_log(2, "oracle_connection::ctor"); }

oracle_connection::~oracle_connection() {
  tk_log(2, "oracle_connection::dtor");
  target_.reset();
  engine_.reset();
}

void oracle_connection::connect(const vesper_settings& settings) {
  tk_log(2, "oracle_connection::connect(%s)", settings.service);
  if (target_) {
    tk_log(2, "Delete previous initialization of ora_base...");
    target_.reset();
    tk_log(2, "done");
  }
  // The client library is loaded when it is first needed, so that the
  // settings can be handled without one.
  if (!engine_) engine_ = std::make_unique<ora_engine>();
  target_ = engine_->open_db(settings.host, settings.user, settings.password, settings.port, settings.service);
}
