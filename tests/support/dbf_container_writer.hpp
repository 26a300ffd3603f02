// Writes a Visual FoxPro database container (.dbc and its .dct) for tests:
// the object table Visual FoxPro keeps, with a Database object, then each
// table and its fields in order. Property memos are left empty.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class dbf_container_writer {
 public:
  dbf_container_writer& table(std::u16string name, std::vector<std::u16string> fields);
  // Writes `file_name` (and its .dct) into `folder`; returns its path.
  std::filesystem::path write(const std::filesystem::path& folder, const std::string& file_name) const;

 private:
  struct listed {
    std::u16string name;
    std::vector<std::u16string> fields;
  };
  std::vector<listed> tables_;
};
