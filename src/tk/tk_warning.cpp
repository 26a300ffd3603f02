#include "tk_warning.hpp"

std::string tk_warning::text() const {
  std::string place = table;
  if (record != 0) place += (place.empty() ? "record #" : ", record #") + std::to_string(record);
  if (!column.empty()) place += (place.empty() ? "column " : ", column ") + column;
  return place.empty() ? what : place + ": " + what;
}
