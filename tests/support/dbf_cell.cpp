#include "dbf_cell.hpp"

#include <utility>

dbf_cell dbf_cell::text(std::u16string value) {
  dbf_cell cell(kind::text);
  cell.text_ = std::move(value);
  return cell;
}

dbf_cell dbf_cell::number(double value) {
  dbf_cell cell(kind::number);
  cell.number_ = value;
  return cell;
}

dbf_cell dbf_cell::integer(std::int64_t value) {
  dbf_cell cell(kind::integer);
  cell.integer_ = value;
  return cell;
}

dbf_cell dbf_cell::currency(std::int64_t ten_thousandths) {
  dbf_cell cell(kind::currency);
  cell.integer_ = ten_thousandths;
  return cell;
}

dbf_cell dbf_cell::date(int year, int month, int day) {
  dbf_cell cell(kind::date);
  cell.year_ = year;
  cell.month_ = month;
  cell.day_ = day;
  return cell;
}

dbf_cell dbf_cell::date_time(int year, int month, int day, int hour, int minute, int second,
                             int millisecond) {
  dbf_cell cell = date(year, month, day);
  cell.kind_ = kind::date_time;
  cell.integer_ = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
  return cell;
}

dbf_cell dbf_cell::boolean(bool value) {
  dbf_cell cell(kind::boolean);
  cell.integer_ = value ? 1 : 0;
  return cell;
}

dbf_cell dbf_cell::raw(std::string bytes) {
  dbf_cell cell(kind::raw);
  cell.bytes_ = std::move(bytes);
  return cell;
}

dbf_cell dbf_cell::memo(std::string bytes) {
  dbf_cell cell(kind::memo);
  cell.bytes_ = std::move(bytes);
  return cell;
}

dbf_cell dbf_cell::memo_block(std::uint32_t block) {
  dbf_cell cell(kind::memo_block);
  cell.integer_ = block;
  return cell;
}

dbf_cell dbf_cell::with_stored_length(std::uint32_t length) const {
  dbf_cell cell = *this;
  cell.stored_length_ = length;
  return cell;
}
