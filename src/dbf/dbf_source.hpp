// A folder of DBF tables as a run's source. Each table is opened as the run
// will create it: the container's long names and defaults, dBASE 7 field
// properties, the indexes its files describe (the container's primary key
// tag made the primary key), and its code page said.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "udb_source.hpp"

class dbf_database;
class dbf_recordset;
class tk_reporter;

struct dbf_source_options {
  std::u16string folder;
  int code_page = 0;  // as dbf_recordset takes it
  bool read_indexes = true;
  // Index keys count the records a run leaves out as deleted (their notes say so).
  bool keep_deleted = true;
  // Told of each table once it is open and prepared (the pre-flight report
  // reads its file's facts).
  std::function<void(const dbf_recordset&)> table_opened;
};

class dbf_source : public udb_source {
 public:
  dbf_source(dbf_source_options options, tk_reporter& reporter);
  ~dbf_source() override;

  void open() override;
  std::vector<std::u16string> table_names() override;
  bool has_table(const std::u16string& name) override;
  std::uint64_t table_size(const std::u16string& name) override;
  std::uint64_t table_records(const std::u16string& name) override;
  udb_opened_table open_table(const std::u16string& name,
                              const std::function<void(const std::string&)>& say) override;
  std::string renamed_note(const std::u16string& name, const std::u16string& converted_as) const override;

 private:
  dbf_database& folder() const;
  void say_code_page(const dbf_recordset& table, const std::string& shown,
                     const std::function<void(const std::string&)>& say) const;
  void read_indexes(dbf_recordset& table, const std::string& shown, const std::u16string& primary_tag,
                    const std::function<void(const std::string&)>& say) const;
  void mark_primary_key(udb_indexes& indexes, const std::u16string& tag, const std::string& shown) const;

  dbf_source_options options_;
  tk_reporter& reporter_;
  std::unique_ptr<dbf_database> folder_;
};
