#include "ora_target.hpp"

#include "ora_database.hpp"
#include "ora_exception.hpp"
#include "ora_journal.hpp"
#include "tk_logger.hpp"
#include "tk_wstring.hpp"

namespace {

constexpr int ora_resource_busy = 54;

// A name as Oracle reads it unquoted (upper case), or as written inside
// double quotes.
std::u16string oracle_identifier(const std::u16string& text) {
  if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') return text.substr(1, text.size() - 2);
  return tk_wstring(text).to_upper();
}

}  // namespace

ora_target::ora_target(ora_database& database, shared_names* shared) : database_(database), shared_(shared) {}

ora_target::~ora_target() { close_journal(); }

void ora_target::start_run(const udb_target_options& options) {
  upper_case_ = options.upper_case;
  database_.b_uppercase = options.upper_case;
  database_.owner = oracle_identifier(options.owner);
  database_.tablespace = oracle_identifier(options.tablespace);
  database_.lob_tablespace = oracle_identifier(options.lob_tablespace);
  database_.conversion = options.conversion;
  // Index and constraint names are unique in the whole schema: one registry for the run.
  if (shared_) {
    std::lock_guard lock(shared_->mutex);
    if (!shared_->tables) {
      shared_->tables.emplace(options.tables, std::vector<std::u16string>{}, database_.limits);
      shared_->indexes = ora_in_validator(database_.limits);
    }
    database_.share_index_names(&shared_->indexes);
  } else {
    names_.emplace(options.tables, std::vector<std::u16string>{}, database_.limits);
    database_.start_index_names();
  }
  database_.get_tables();
}

void ora_target::end_run() {
  database_.conversion = nullptr;
  database_.share_index_names(nullptr);
  close_journal();
}

// Upper-cased before it is checked: upper case can take more bytes, or
// letters the database character set lacks.
std::u16string ora_target::table_name(const std::u16string& customised) {
  std::u16string chosen = upper_case_ ? tk_wstring(customised).to_upper() : customised;
  std::unique_lock<std::mutex> lock;
  if (shared_) lock = std::unique_lock(shared_->mutex);
  ora_tn_validator& names = this->names();
  if (!names.is_acceptable(chosen)) {
    chosen = names.get_safe_name(chosen);
    tk_log(2, "Store generated table name '%s'", chosen);
    names.add_existing_name(chosen);
  }
  names.restricted_names.push_back(chosen);
  return chosen;
}

bool ora_target::table_exists(const std::u16string& name) { return database_.is_table_exist(name); }

void ora_target::check_fits(const udb_schema& schema) { database_.check_fits(schema); }

void ora_target::drop_table(const std::u16string& name) {
  // A worker of a shared job drops a table only while it still holds it: a
  // worker stalled past its lease would drop the rows of the one that took
  // over. The DROP commits the check's renewal of the lease.
  if (database_.commit_fence) database_.commit_fence(false);
  try {
    database_.delete_tab(name);
  } catch (const ora_exception& e) {
    if (e.ora_number() == ora_resource_busy)
      throw tk_exception("Cannot delete table because it is busy with another process");
    throw;
  }
}

void ora_target::add_columns(const std::u16string& table, const udb_schema& schema,
                             const std::vector<std::size_t>& positions) {
  database_.add_columns(table, schema, positions);
}

std::unique_ptr<udb_recordset> ora_target::open_table(const std::u16string& name) {
  // Another session of the run may have made it since the list was read.
  if (!database_.is_table_exist(name)) database_.get_tables();
  return database_.get_table(name, udb_access::append);
}

std::unique_ptr<udb_recordset> ora_target::create_table(const std::u16string& name, const udb_schema& schema,
                                                        const udb_column_note& column,
                                                        const std::function<void(const std::string&)>& table) {
  database_.column_notes = column;
  std::unique_ptr<udb_recordset> created;
  try {
    created = database_.create_table(name, schema, udb_indexes());
  } catch (...) {
    database_.column_notes = nullptr;
    throw;
  }
  database_.column_notes = nullptr;
  for (const std::string& warning : database_.creation_warnings) table(warning);
  return created;
}

void ora_target::create_indexes(const std::u16string& table, const udb_schema& schema, const udb_indexes& indexes,
                                const udb_index_note& failed) {
  database_.create_indexes(table, schema, indexes, failed);
}

void ora_target::require_columns(const std::u16string& table, const udb_schema& schema,
                                 const udb_indexes& indexes, const udb_column_note& failed) {
  database_.require_columns(table, schema, indexes, failed);
}

void ora_target::create_foreign_key(const udb_key_side& child, const udb_key_side& parent) {
  database_.create_foreign_key(child, parent);
}

// Every run keeps a journal, so that any run that is killed can be resumed;
// a target that only records what a run would do keeps none.
udb_journal* ora_target::open_journal() {
  close_journal();
  if (database_.dry_run()) return nullptr;
  journal_ = std::make_unique<ora_journal>(database_);
  database_.journal = journal_.get();
  return journal_.get();
}

void ora_target::close_journal() {
  database_.journal = nullptr;
  journal_.reset();
}
