// Fills the LOB columns of a just-inserted row: selects the row's locators
// by ROWID, FOR UPDATE, and writes each LOB in one piece. The locators free
// themselves, also when a later one cannot be made or the engine is gone.
#pragma once

#include <string>
#include <vector>

#include "ora_handle.hpp"
#include "ora_oci.hpp"
#include "udb_record.hpp"
#include "udb_schema.hpp"

class ora_engine;

class ora_lob_insert {
 public:
  // Writes in the session `engine`.
  ora_lob_insert(ora_engine& engine, const std::u16string& table, const udb_schema& schema);
  ~ora_lob_insert();
  ora_lob_insert(const ora_lob_insert&) = delete;
  ora_lob_insert& operator=(const ora_lob_insert&) = delete;

  // `field_of_column[c]` is the record field written into schema column c.
  void insert(const std::u16string& rowid, const udb_record& record,
              const std::vector<int>& field_of_column);
  std::u16string select_text(const std::u16string& rowid) const;
  bool empty() const { return columns_.empty(); }

 private:
  struct lob_column {
    std::size_t position;
    VARTYPE kind;
    std::u16string name;
  };
  void write_blob(std::size_t k, const udb_field& field);
  void write_clob(std::size_t k, const udb_field& field);

  ora_engine& engine_;
  std::u16string table_;
  std::vector<lob_column> columns_;
  OCILobLocator* locator(std::size_t k) const { return locators_[k].as<OCILobLocator>(); }

  std::vector<ora_handle> locators_;
};
