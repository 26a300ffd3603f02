#include "encoding_model.hpp"

#include <algorithm>

#include "dbf_code_pages.hpp"
#include "vesper_settings.hpp"

namespace {
// The name with its code page, which is what the user looks up; "Default"
// and the system's ANSI code page have no number of their own.
std::string label_of(const char* name, int code_page) {
  const std::string text = name;
  const std::string number = std::to_string(code_page);
  if (code_page == 0 || text.find(number) != std::string::npos) return text;
  return text + " (" + number + ")";
}
}  // namespace

// Driver bytes that read alike (two names of French OEM, 850) are listed
// once; a setting of the other byte shows as that entry.
encoding_model::encoding_model(vesper_settings& settings) : settings_(settings) {
  std::vector<dbf_code_page> rows = dbf_code_pages::choices();
  std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.driver < b.driver; });
  for (const dbf_code_page& row : rows) {
    const std::string label = label_of(row.name, row.code_page);
    const auto same = std::find_if(choices_.begin(), choices_.end(), [&](const choice& c) { return c.label == label; });
    if (same != choices_.end())
      same_as_[int(row.driver)] = same->code;
    else
      choices_.push_back({label, int(row.driver)});
  }
  // Then the code pages no driver byte names, stored by their number.
  for (const dbf_extra_code_page& row : dbf_code_pages::extra_choices())
    choices_.push_back({label_of(row.name, row.code_page), row.code_page});
}

std::size_t encoding_model::row_of(int code) const {
  if (const auto same = same_as_.find(code); same != same_as_.end()) code = same->second;
  const auto at = std::find_if(choices_.begin(), choices_.end(), [&](const choice& c) { return c.code == code; });
  return at == choices_.end() ? 0 : std::size_t(at - choices_.begin());
}

void encoding_model::load() { row = row_of(settings_.code_page); }

void encoding_model::store() const {
  if (row < choices_.size()) settings_.code_page = choices_[row].code;
}
