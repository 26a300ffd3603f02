#include "udb_journal.hpp"

bool udb_journal_entry::same_file(const udb_journal_entry& other) const {
  return file_size == other.file_size && file_time == other.file_time && header_date == other.header_date &&
         record_count == other.record_count;
}
