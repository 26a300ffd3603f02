// An error reported by Oracle. Level 0 (the item at hand fails); the code is
// 0x100000 | (ORA number & 0xFFFF), so ORA-12154 has code 0x102F7A.
#pragma once

#include "udb_target_exception.hpp"

class ora_exception : public udb_target_exception {
 public:
  ora_exception(int ora_number, std::u16string_view text);

  static constexpr int code_of(int ora_number) { return 0x100000 | (ora_number & 0xFFFF); }
  // The ORA number carried by the code.
  int ora_number() const { return code & 0xFFFF; }
  // The session is gone: one of the errors that say so, or any error after
  // which the client found the server not connected.
  bool connection_lost() const override;

  bool server_not_connected = false;
};
