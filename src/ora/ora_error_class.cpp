#include "ora_error_class.hpp"

#include <algorithm>
#include <array>

bool ora_error_class::out_of_space(int ora_number) {
  static constexpr std::array numbers = {1536, 1652, 1653, 1654, 1658, 1688, 1691, 30036};
  return std::find(numbers.begin(), numbers.end(), ora_number) != numbers.end();
}

bool ora_error_class::connection_lost(int ora_number) {
  static constexpr std::array numbers = {28, 1012, 1089, 1092, 2396, 3113, 3114, 3135, 12537, 12547, 12570};
  return std::find(numbers.begin(), numbers.end(), ora_number) != numbers.end();
}
