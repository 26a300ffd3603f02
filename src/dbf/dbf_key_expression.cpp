#include "dbf_key_expression.hpp"

#include <algorithm>
#include <cctype>

#include "tk_case.hpp"
#include "tk_format.hpp"

namespace {

std::string trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool is_name(const std::string& text) {
  if (text.empty() || !(std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_')) return false;
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

bool is_digits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// The parts of `expression` joined by "+" outside parentheses; none when
// the parentheses do not pair.
std::optional<std::vector<std::string>> split_on_plus(const std::string& expression) {
  std::vector<std::string> parts(1);
  int depth = 0;
  for (char c : expression) {
    if (c == '(') ++depth;
    if (c == ')' && --depth < 0) return std::nullopt;
    if (c == '+' && depth == 0)
      parts.emplace_back();
    else
      parts.back() += c;
  }
  if (depth != 0) return std::nullopt;
  for (std::string& part : parts) part = trimmed(part);
  return parts;
}

bool is_character(const t_ftd& column) { return column.vartype == VT_BSTR && column.size != 0; }
bool is_date(const t_ftd& column) { return column.vartype == VT_DATE; }
bool is_number(const t_ftd& column) {
  switch (column.vartype) {
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_R4: case VT_R8: case VT_CY: case VT_DECIMAL: return true;
    default: return false;
  }
}

}  // namespace

const t_ftd* dbf_key_expression::find_column(const std::string& name) const {
  const std::u16string wide = tk_utf8_to_utf16_lenient(name);
  for (std::size_t i = 0; i < schema_.size(); ++i)
    if (tk_loose_equal(schema_[i].name, wide)) return &schema_[i];
  return nullptr;
}

std::optional<std::vector<dbf_key_part>> dbf_key_expression::translate(const std::string& expression,
                                                                       std::string& why) const {
  const auto parts = split_on_plus(trimmed(expression));
  if (!parts || std::any_of(parts->begin(), parts->end(), [](const std::string& p) { return p.empty(); })) {
    why = "the key expression is not well formed";
    return std::nullopt;
  }
  std::vector<dbf_key_part> columns;
  for (const std::string& part : *parts) {
    auto column = translate_part(part, parts->size() > 1, why);
    if (!column) return std::nullopt;
    columns.push_back(*column);
  }
  return columns;
}

// One operand: a field, or one of the functions that sort as their field.
std::optional<dbf_key_part> dbf_key_expression::translate_part(const std::string& part, bool joined,
                                                               std::string& why) const {
  std::string function, argument = part;
  const std::size_t open = part.find('(');
  if (open != std::string::npos) {
    if (part.back() != ')') {
      why = tk_format("%s is not a field or a function of one", part);
      return std::nullopt;
    }
    function = upper(trimmed(part.substr(0, open)));
    argument = trimmed(part.substr(open + 1, part.size() - open - 2));
  }
  if (function == "STR") {
    // STR(field, length, decimals): the length and decimals only pad.
    const std::size_t comma = argument.find(',');
    if (comma != std::string::npos) {
      std::string rest = argument.substr(comma + 1);
      const std::size_t second = rest.find(',');
      bool numbers = is_digits(trimmed(rest.substr(0, second)));
      if (second != std::string::npos) numbers = numbers && is_digits(trimmed(rest.substr(second + 1)));
      if (!numbers) {
        why = tk_format("%s has arguments other than numbers", part);
        return std::nullopt;
      }
      argument = trimmed(argument.substr(0, comma));
    }
  }
  if (!is_name(argument)) {
    why = tk_format("%s is not a field of the table or a function of one", part);
    return std::nullopt;
  }
  const t_ftd* column = find_column(argument);
  if (!column) {
    why = tk_format("%s is not a field of the table", argument);
    return std::nullopt;
  }
  const bool known = function.empty() || function == "UPPER" || function == "LOWER" || function == "DTOS" ||
                     function == "STR";
  if (!known) {
    why = tk_format("the function %s has no Oracle equivalent that sorts alike", function);
    return std::nullopt;
  }
  const bool fits = function.empty()                           ? !joined || is_character(*column)
                    : function == "UPPER" || function == "LOWER" ? is_character(*column)
                    : function == "DTOS"                       ? is_date(*column) && !joined
                                                               : is_number(*column) && !joined;
  if (!fits) {
    why = joined ? tk_format("%s is joined with other fields but is not a character field", part)
                 : tk_format("%s does not suit the kind of its field", part);
    return std::nullopt;
  }
  if (column->vartype == VT_BSTR && column->size == 0) {
    why = tk_format("%s is a memo field", argument);
    return std::nullopt;
  }
  dbf_key_part result{column->name, {}};
  if (function == "UPPER" || function == "LOWER") result.function = tk_utf8_to_utf16_lenient(function);
  return result;
}

namespace {

// Visual FoxPro's own tools write filters such as .NOT.DELETED().AND..T.:
// conditions that always hold add nothing to the ones beside them.
std::string without_true_conditions(const std::string& text) {
  const std::string_view conjunction = ".AND.";
  std::string kept;
  std::size_t at = 0;
  for (;;) {
    const std::size_t end = text.find(conjunction, at);
    const std::string part = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (part != ".T." && part != ".NOT..F." && part != "!.F.")
      kept += (kept.empty() ? "" : std::string(conjunction)) + part;
    if (end == std::string::npos) return kept;
    at = end + conjunction.size();
  }
}

}  // namespace

dbf_key_expression::filter_kind dbf_key_expression::classify_filter(const std::string& filter) {
  std::string text;
  for (char c : upper(filter))
    if (c != ' ' && c != '\t') text += c;
  // Only a filter without parentheses around its conjunctions can be taken apart this way.
  if (text.find(".OR.") == std::string::npos) text = without_true_conditions(text);
  if (text.empty()) return filter_kind::none;
  if (text == "DELETED()") return filter_kind::deleted;
  if (text == "!DELETED()" || text == ".NOT.DELETED()" || text == "NOTDELETED()") return filter_kind::not_deleted;
  return filter_kind::other;
}
