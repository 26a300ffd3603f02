#include "ole_guid_extractor.hpp"

#include "tk_format.hpp"
#include "tk_logger.hpp"

namespace {

constexpr std::size_t shortest_text = 45;
// {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}
constexpr std::size_t braced_length = 38;
constexpr std::size_t group_starts[] = {1, 10, 15, 20, 25};
constexpr std::size_t group_lengths[] = {8, 4, 4, 4, 12};

bool is_hex(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// The whole braced shape must be there: a brace near the end of the text, or
// one followed by something else, gives no GUID rather than stray characters.
bool is_braced_guid(std::u16string_view s) {
  if (s.size() < braced_length || s[braced_length - 1] != u'}') return false;
  for (std::size_t dash : {9, 14, 19, 24})
    if (s[dash] != u'-') return false;
  for (std::size_t g = 0; g < 5; ++g)
    for (std::size_t i = 0; i < group_lengths[g]; ++i)
      if (!is_hex(s[group_starts[g] + i])) return false;
  return true;
}

}  // namespace

ole_guid_extractor::ole_guid_extractor(const std::u16string& text) : text_(text) {
  tk_log_w(2, u"ole_guid_extractor::ctor(%s)", text_);
  locate();
}

ole_guid_extractor::ole_guid_extractor(const std::string& text)
    : ole_guid_extractor(tk_utf8_to_utf16_lenient(text)) {}

void ole_guid_extractor::locate() {
  if (text_.size() < shortest_text) return;
  std::size_t lower = text_.find(u"guid");
  std::size_t upper = text_.find(u"GUID");
  tk_log(1, "Locating 'guid' (%d : %d)", static_cast<long long>(lower),
         static_cast<long long>(upper));
  std::size_t match = lower != std::u16string::npos ? lower : upper;
  if (match == std::u16string::npos) return;
  std::size_t brace = text_.find(u'{', match + 4);
  if (brace == std::u16string::npos) return;
  if (!is_braced_guid(std::u16string_view(text_).substr(brace))) return;
  position_ = brace;
  found_ = true;
}

std::u16string ole_guid_extractor::extract() const {
  if (!found_) return {};
  std::u16string digits;
  for (std::size_t g = 0; g < 5; ++g) digits += text_.substr(position_ + group_starts[g], group_lengths[g]);
  return digits;
}
