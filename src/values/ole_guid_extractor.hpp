// Finds a GUID written in braces after the word "guid" (or "GUID") in a text,
// such as an OLE object's description, and gives its 32 hexadecimal digits.
#pragma once

#include <cstddef>
#include <string>

class ole_guid_extractor {
 public:
  explicit ole_guid_extractor(const std::u16string& text);
  explicit ole_guid_extractor(const std::string& text);

  bool is_valid() const { return found_; }
  // The digits in their written order without the dashes; empty when no GUID
  // was found.
  std::u16string extract() const;

 private:
  void locate();

  std::u16string text_;
  std::size_t position_ = 0;  // of the opening brace
  bool found_ = false;
};
