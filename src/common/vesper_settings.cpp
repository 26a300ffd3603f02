#include "vesper_settings.hpp"

#include "dbf_code_pages.hpp"
#include "tk_case.hpp"

code_page_source vesper_settings::encoding() const {
  if (code_page == 0) return code_page_source::each_table;
  return code_page == dbf_code_pages::auto_setting ? code_page_source::detected : code_page_source::one_page;
}

const std::vector<std::u16string>* vesper_settings::sync_key_of(const std::u16string& table) const {
  for (const auto& [name, fields] : sync_keys)
    if (tk_loose_equal(name, table)) return &fields;
  return nullptr;
}

std::vector<std::u16string> vesper_settings::key_fields_of(const std::u16string& list) {
  std::vector<std::u16string> fields;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(u',', start);
    if (end == std::u16string::npos) end = list.size();
    std::size_t first = start, last = end;
    while (first < last && (list[first] == u' ' || list[first] == u'\t')) ++first;
    while (last > first && (list[last - 1] == u' ' || list[last - 1] == u'\t')) --last;
    if (last > first) fields.push_back(list.substr(first, last - first));
    start = end + 1;
  }
  return fields;
}
