// One column of an array insert: the values of the pending rows in the
// column's bind form, and the array bind made of them when the batch runs.
// An array bind reserves every row at the size of its largest value. The
// values wait one after another in one buffer, which a batch reuses: a row
// costs no allocation of its own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ora_handle.hpp"
#include "ora_oci.hpp"

class ora_engine;
class ora_stmt;

class ora_bind_column {
 public:
  enum class form { number, date, timestamp, text, binary, long_text, long_binary };

  // `position` is the table column; `national` binds text in the national
  // character set (NVARCHAR2, NCHAR, NCLOB).
  ora_bind_column(std::size_t position, form kind, bool national);

  // A value: NUMBER bytes, an OCIDate, a timestamp's 11 bytes
  // (ora_timestamp), UTF-16 text or raw bytes.
  void add(std::string_view value);
  void add_null();
  bool is_null(std::size_t row) const { return indicators_[row] < 0; }
  std::size_t rows() const { return indicators_.size(); }
  void clear();

  // Bytes the array reserves per row, now and with a value of `bytes` added.
  std::size_t element_size() const { return element_size_for(widest_); }
  std::size_t element_size_with(std::size_t bytes) const {
    return element_size_for(bytes > widest_ ? bytes : widest_);
  }
  // Values that may exceed 4,000 bytes: Oracle wants them after all others.
  bool is_long() const { return kind_ == form::long_text || kind_ == form::long_binary; }
  std::size_t position() const { return position_; }
  form kind() const { return kind_; }

  // Lays the pending rows out as one array and binds it to `placeholder`
  // of `statement`, in the statement's session.
  void bind(ora_stmt& statement, const std::u16string& placeholder);

 private:
  std::size_t element_size_for(std::size_t widest) const;
  ub2 type() const;
  void limit_server_size(ora_engine& engine, OCIBind* bind, std::size_t element) const;
  void lay_out_values(std::size_t element);
  void lay_out_timestamps(ora_engine& engine);
  std::string_view value_of(std::size_t row) const;

  std::size_t position_;
  form kind_;
  bool national_;
  std::string values_;               // the pending values, one after another
  std::vector<std::size_t> ends_;    // where each row's value ends in values_
  std::vector<sb2> indicators_;
  std::size_t widest_ = 0;
  std::vector<char> array_;
  std::vector<ub2> lengths_;
  // A timestamp column binds descriptors (SQLT_TIMESTAMP), one a row, kept
  // for the batches that follow.
  std::vector<ora_handle> timestamps_;
};
