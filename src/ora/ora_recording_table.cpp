#include "ora_recording_table.hpp"

#include "ora_table.hpp"
#include "tk_mail_assertion.hpp"

ora_recording_table::ora_recording_table(const std::u16string& name_, const udb_schema& columns)
    : udb_recordset(name_) {
  schema = columns;
}

ora_recording_table::ora_recording_table(const std::u16string& name_, std::unique_ptr<ora_table> existing,
                                         bool widened)
    : udb_recordset(name_), existing_(std::move(existing)), widened_(widened) {
  schema = existing_->schema;
}

ora_recording_table::~ora_recording_table() = default;

std::unique_ptr<udb_record_writer> ora_recording_table::open_writer(const udb_write_options& options,
                                                                    udb_write_sinks sinks) {
  if (options.sync_key.empty() || !existing_) return udb_recordset::open_writer(options, std::move(sinks));
  udb_write_options counting = options;
  counting.sync_count_only = true;
  counting.sync_resend = counting.sync_resend || widened_;
  return existing_->open_writer(counting, std::move(sinks));
}

udb_record& ora_recording_table::get_item() { TK_ASSERTION_FAILED(); }
