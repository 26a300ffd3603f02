// The memo file of a table with memo fields is not there: the table is read
// without memos.
#pragma once

#include "dbf_exception.hpp"

class dbf_no_memo_exception : public dbf_exception {
 public:
  dbf_no_memo_exception() : dbf_exception("Memo file not found", item_level) {}
};
