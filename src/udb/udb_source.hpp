// Where a run reads: a folder of tables, each opened ready to copy, with
// the names, defaults, indexes and relations the run will create.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "udb_source_table.hpp"
#include "udb_table_relation.hpp"

struct udb_opened_table {
  std::unique_ptr<udb_source_table> table;
  // The relations the source gives it as the child.
  std::vector<udb_table_relation> relations;
};

class udb_source {
 public:
  virtual ~udb_source() = default;

  // Opens the source; a source that cannot be read raises the run's error.
  virtual void open() = 0;
  // Every table of the source, in the order a run takes them.
  virtual std::vector<std::u16string> table_names() = 0;
  virtual bool has_table(const std::u16string& name) = 0;
  // How big the table is (bytes of its files), to hand the biggest tables
  // out first; 0 when unknown.
  virtual std::uint64_t table_size(const std::u16string&) { return 0; }
  // How many records the table holds by its header, for a progress display
  // before the table is opened; 0 when unknown.
  virtual std::uint64_t table_records(const std::u16string&) { return 0; }
  // Opens a table; what the source notes about it (how its text is read,
  // its index files) goes to `say`, its warnings to the source's reporter.
  virtual udb_opened_table open_table(const std::u16string& name,
                                      const std::function<void(const std::string&)>& say) = 0;
  // The line that tells the user that the table is converted as
  // `converted_as` when its name had to change in the source (files whose
  // names differ in case); empty: none.
  virtual std::string renamed_note(const std::u16string& name, const std::u16string& converted_as) const = 0;
};
