// Runs an INSERT that returns the new row's ROWID through a dynamic out-bind.
#pragma once

#include <string>
#include <vector>

#include "ora_stmt.hpp"

class ora_get_rowid {
 public:
  explicit ora_get_rowid(ora_engine& engine);
  ~ora_get_rowid();
  ora_get_rowid(const ora_get_rowid&) = delete;
  ora_get_rowid& operator=(const ora_get_rowid&) = delete;

  // Appends the RETURNING clause, binds `long_texts` to :L1, :L2, ... as long
  // text, runs the statement without committing and returns the ROWID.
  std::u16string do_insert(std::u16string text, const std::vector<std::u16string>& long_texts = {});

 private:
  static sb4 cbf_no_data(void* context, OCIBind*, ub4, ub4, void** buffer, ub4* length,
                         ub1* piece, void** indicator);
  static sb4 cbf_get_data(void* context, OCIBind*, ub4 iteration, ub4, void** buffer,
                          ub4** length, ub1* piece, void** indicator, ub2** code);

  void bind_long_texts(const std::vector<std::u16string>& long_texts);

  static constexpr ub4 buffer_bytes = 512;
  std::vector<std::string> long_buffers_;  // length-prefixed UTF-16, alive until execute
  ub4 returned_ = buffer_bytes;
  ora_stmt statement_;
  OCIBind* bind_ = nullptr;
  sb2 indicator_ = 0;
  char16_t rowid_[buffer_bytes / 2] = {};
};
