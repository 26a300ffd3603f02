// CLOB and BLOB columns, fetched through a LOB locator and read whole.
#pragma once

#include <string>

#include "ora_handle.hpp"
#include "ora_type.hpp"

class ora_lob : public ora_type {
 public:
  ora_lob(ora_engine& engine, OCIParam* parameter, ub2 oci_type);
  ~ora_lob() override;
  ole_variant to_variant() override;
  void define(ora_stmt& statement, ub4 position) override;

 private:
  // Reads from `offset` (1-based, characters for a CLOB, bytes for a BLOB)
  // into `buffer` of `capacity` bytes; returns the amount read.
  ub4 read_lob(ub4 offset, void* buffer, ub4 capacity, ub1 form);
  std::u16string read_text();
  std::string read_bytes();

  OCILobLocator* locator() const { return locator_.as<OCILobLocator>(); }

  ora_handle locator_;
};
