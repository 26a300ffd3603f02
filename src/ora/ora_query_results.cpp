#include "ora_query_results.hpp"

#include "ora_engine.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

ora_query_results::ora_query_results(ora_engine& engine, ub4 column_count, const std::u16string& select_text)
    : udb_recordset(u""), statement_(engine) {
  tk_log(1, "ora_query_results::ctor(1)");
  initialize(column_count, select_text);
}

ora_query_results::ora_query_results(ora_engine& engine, std::u16string name_, std::u16string query_text)
    : udb_recordset(std::move(name_), std::move(query_text)), statement_(engine) {
  tk_log(1, "ora_query_results::ctor(2)");
}

ora_query_results::~ora_query_results() {
  tk_log(1, "ora_query_results::dtor");
  current_.reset();
  columns_.clear();
  tk_log(1, "ora_query_results::dtor - at the END");
}

void ora_query_results::describe(ub4 count, const std::u16string& select_text) {
  ora_engine& engine = this->engine();
  ora_stmt probe(engine);
  probe.prepare(select_text);
  probe.execute(0, oci::describe_only);
  if (count == 0)
    engine.check_err(engine.oci().OCIAttrGet(probe.handle(), oci::htype_stmt, &count, nullptr,
                                             oci::attr_param_count, engine.error_handle()),
                     "OCIAttrGet");
  for (ub4 position = 1; position <= count; ++position) {
    tk_log(1, "Processing column #%d", position);
    ora_handle parameter = engine.parameter(probe.handle(), position);
    ub2 type = 0;
    engine.check_err(engine.oci().OCIAttrGet(parameter.get(), oci::dtype_param, &type, nullptr,
                                             oci::attr_data_type, engine.error_handle()),
                     "OCIAttrGet");
    auto column = ora_type::gen_co_by_type(engine, parameter.as<OCIParam>(), type);
    schema.add(column->get_ftd());
    columns_.push_back(std::move(column));
  }
  column_count_ = count;
}

void ora_query_results::initialize(ub4 count, const std::u16string& select_text) {
  tk_log(2, "ora_query_results::initialize(%d, %s)", count, select_text);
  if (initialized_) TK_ASSERTION_FAILED();
  describe(count, select_text);
  statement_.prepare(select_text);
  for (std::size_t i = 0; i < columns_.size(); ++i)
    columns_[i]->define(statement_, static_cast<ub4>(i + 1));
  statement_.execute(0);
  initialized_ = true;
}

void ora_query_results::append_record(const udb_record&) {
  tk_log(1, "ora_query_results::append_record");
  TK_ASSERTION_FAILED();
}

bool ora_query_results::fetch_row() {
  fetched_ = true;
  return statement_.fetch();
}

bool ora_query_results::is_eof() {
  tk_log(1, "ora_query_results::is_eof");
  if (!initialized_) TK_ASSERTION_FAILED();
  return !fetch_row();
}

ora_record* ora_query_results::next_record() {
  tk_log(1, "ora_query_results::get_item");
  if (!fetched_) {
    tk_log(1, "fetch wasn't called yet");
    if (!fetch_row()) {
      tk_log(2, "status == OCI_NO_DATA!");
      fetched_ = false;
      return nullptr;
    }
  }
  current_ = std::make_unique<ora_record>(columns_);
  fetched_ = false;
  return current_.get();
}

udb_record& ora_query_results::get_item() {
  ora_record* record = next_record();
  if (!record) TK_ASSERTION_FAILED();  // callers ask is_eof first
  return *record;
}
