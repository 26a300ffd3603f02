#include "ora_exception.hpp"

#include "ora_error_class.hpp"
#include "tk_logger.hpp"

ora_exception::ora_exception(int ora_number, std::u16string_view text)
    : udb_target_exception(text, code_of(ora_number)) {
  tk_log(1, "ora_exception::ctor");
}

bool ora_exception::connection_lost() const {
  return server_not_connected || ora_error_class::connection_lost(ora_number());
}
