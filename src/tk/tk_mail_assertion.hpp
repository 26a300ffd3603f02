// An internal consistency failure (level 2). Its message carries the raising
// place, file and line, as hexadecimal text the user can send to support.
#pragma once

#include "tk_exception.hpp"
#include "tk_source_place.hpp"

class tk_mail_assertion : public tk_exception {
 public:
  tk_mail_assertion(const char* file, int line);

  // "file\line" with each byte written as two lowercase hexadecimal digits.
  static std::string encode_place(const char* file, int line);
};
