#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <climits>
#include <memory>

#include "tk_code_page_system.hpp"
#include "tk_exception_ex.hpp"

namespace {

using namespace tk_code_page_system;

int32_t checked_length(std::size_t size, const char* prefix) {
  if (size > INT32_MAX / 4) raise(prefix, EOVERFLOW);
  return static_cast<int32_t>(size);
}

struct converter_closer {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using converter_ptr = std::unique_ptr<UConverter, converter_closer>;

converter_ptr open_converter(const std::string& name, const char* prefix) {
  UErrorCode status = U_ZERO_ERROR;
  converter_ptr converter(ucnv_open(name.c_str(), &status));
  if (U_FAILURE(status) || !converter) raise(prefix, EINVAL);
  return converter;
}

}  // namespace

void tk_code_page_system::raise(const char* prefix, int error) {
  throw tk_exception_ex(prefix, tk_exception::item_level, error);
}

std::string tk_code_page_system::name_of_other(int code_page) {
  // ICU knows most Windows and IBM pages, though its alias table also names
  // pages whose data it does not carry.
  for (const char* prefix : {"windows-", "ibm-", "cp"}) {
    std::string name = prefix + std::to_string(code_page);
    UErrorCode status = U_ZERO_ERROR;
    if (ucnv_countAliases(name.c_str(), &status) == 0 || U_FAILURE(status)) continue;
    converter_ptr converter(ucnv_open(name.c_str(), &status));
    if (converter && U_SUCCESS(status)) return name;
  }
  return {};
}

bool tk_code_page_system::is_single_byte(int, const std::string& name) {
  return ucnv_getMaxCharSize(open_converter(name, decode_error).get()) == 1;
}

void tk_code_page_system::build_table(int, const std::string& name, std::array<char16_t, 256>& table) {
  converter_ptr converter = open_converter(name, decode_error);
  for (int byte = 0; byte < 256; ++byte) {
    char in = static_cast<char>(byte);
    UChar out[4];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
    int32_t n = ucnv_toUChars(converter.get(), out, 4, &in, 1, &status);
    bool undefined = U_FAILURE(status) || n != 1 || out[0] == 0xFFFD;
    if (undefined)
      table[byte] = byte >= 0x80 && byte <= 0x9F ? char16_t(byte) : char16_t(0xFFFD);
    else
      table[byte] = out[0];
    ucnv_reset(converter.get());
  }
  // ICU's IBM tables swap 0x1A, 0x1C and 0x7F for the PC's control pictures;
  // Windows keeps the ASCII half of every ASCII-based page as it is.
  if (table['A'] == u'A')
    for (int byte = 0; byte < 0x80; ++byte) table[byte] = static_cast<char16_t>(byte);
}

std::u16string tk_code_page_system::decode(int, const std::string& name, std::string_view bytes) {
  int32_t length = checked_length(bytes.size(), decode_error);
  converter_ptr converter = open_converter(name, decode_error);
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                      &status);
  std::u16string out(bytes.size() * 2 + 1, u'\0');
  int32_t n = ucnv_toUChars(converter.get(), out.data(), static_cast<int32_t>(out.size()),
                            bytes.data(), length, &status);
  if (U_FAILURE(status)) raise(decode_error);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

std::string tk_code_page_system::encode(int, const std::string& name, std::u16string_view text) {
  int32_t length = checked_length(text.size(), ansi_error);
  converter_ptr converter = open_converter(name, ansi_error);
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setSubstChars(converter.get(), "?", 1, &status);
  std::string out(text.size() * 4 + 1, '\0');
  int32_t n = ucnv_fromUChars(converter.get(), out.data(), static_cast<int32_t>(out.size()),
                              text.data(), length, &status);
  if (U_FAILURE(status)) raise(ansi_error);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

std::u16string tk_code_page_system::utf8_to_utf16(std::string_view bytes) {
  int32_t length = checked_length(bytes.size(), decode_error);
  std::u16string out(bytes.size(), u'\0');
  int32_t written = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8(out.data(), static_cast<int32_t>(out.size()), &written, bytes.data(), length,
                &status);
  if (U_FAILURE(status)) raise(decode_error);
  out.resize(static_cast<std::size_t>(written));
  return out;
}

std::string tk_code_page_system::utf16_to_utf8(std::u16string_view text) {
  int32_t length = checked_length(text.size(), utf8_error);
  std::string out(text.size() * 3, '\0');
  int32_t written = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &written, text.data(), length,
              &status);
  if (U_FAILURE(status)) raise(utf8_error);
  out.resize(static_cast<std::size_t>(written));
  return out;
}
