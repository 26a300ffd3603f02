// Switches the whole process to German conventions (2,5 for two and a half)
// for the life of the object, as a program that takes its locale from the
// environment runs. Restores the locale it found.
#pragma once

#include <clocale>
#include <string>

class comma_decimal_locale {
 public:
  comma_decimal_locale() {
    const char* current = std::setlocale(LC_ALL, nullptr);
    previous_ = current ? current : "C";
    active_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~comma_decimal_locale() { std::setlocale(LC_ALL, previous_.c_str()); }
  comma_decimal_locale(const comma_decimal_locale&) = delete;
  comma_decimal_locale& operator=(const comma_decimal_locale&) = delete;

  // False when the German locale is not installed (scripts/install-deps.sh
  // makes de_DE.UTF-8; the Windows C runtime knows German_Germany.1252).
  bool active() const { return active_; }

#ifdef _WIN32
  static constexpr const char* name = "German_Germany.1252";
#else
  static constexpr const char* name = "de_DE.UTF-8";
#endif
  static constexpr const char* missing = "the de_DE.UTF-8 locale is missing: run scripts/install-deps.sh";

 private:
  std::string previous_;
  bool active_ = false;
};
