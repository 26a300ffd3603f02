#include "ora_recording_table.hpp"

#include "tk_mail_assertion.hpp"

ora_recording_table::ora_recording_table(const std::u16string& name_, const udb_schema& columns)
    : udb_recordset(name_) {
  schema = columns;
}

udb_record& ora_recording_table::get_item() { TK_ASSERTION_FAILED(); }
