#include "table_edit_access.hpp"

#include "table_edit_model.hpp"
#include "tables_model.hpp"
#include "udb_schema.hpp"
#include "vesper_converter.hpp"

std::unique_ptr<table_edit_access> table_edit_access::open(const tables_model& tables, vesper_converter& converter,
                                                           vesper_settings& settings, const std::u16string& table,
                                                           const wizard_prompts& prompts) {
  const std::unique_ptr<udb_schema> schema = tables.columns_to_edit(table, prompts);
  if (!schema) return nullptr;
  return std::make_unique<table_edit_access>(std::make_unique<table_edit_model>(
      converter.customisation(), table, *schema, tables.logicals_as_is(), &settings));
}

udb_database* table_edit_access::query_database(const vesper_converter& converter) { return converter.target(); }

table_edit_access::table_edit_access(std::unique_ptr<table_edit_model> model) : model_(std::move(model)) {}

table_edit_access::~table_edit_access() = default;

std::size_t table_edit_access::row_count() const { return model_->row_count(); }

table_edit_access::row_texts table_edit_access::row(std::size_t at) const {
  const table_edit_model::list_row shown = model_->row(at);
  return {shown.name, shown.type, shown.default_value, shown.nullability};
}

std::u16string table_edit_access::table_name() const { return model_->table_name; }

bool table_edit_access::kept(std::size_t at) const { return at < model_->kept.size() && model_->kept[at]; }

bool table_edit_access::keys_shown() const { return model_->keys_shown(); }

bool table_edit_access::key(std::size_t at) const { return at < model_->key.size() && model_->key[at]; }

void table_edit_access::mark_key(std::size_t at, bool marked) {
  if (at < model_->key.size()) model_->key[at] = marked;
}

table_edit_access::panel table_edit_access::shown() const {
  const table_edit_model& m = *model_;
  return {m.shown_row, m.field_name, m.type, m.default_value, m.length, m.precision, m.scale, m.types};
}

void table_edit_access::type_in(const panel& typed) {
  table_edit_model& m = *model_;
  m.field_name = typed.field_name;
  m.type = typed.type;
  m.default_value = typed.default_value;
  m.length = typed.length;
  m.precision = typed.precision;
  m.scale = typed.scale;
}

void table_edit_access::show_row(std::size_t at) { model_->show_row(at); }

void table_edit_access::choose_type(const std::u16string& chosen) { model_->choose_type(chosen); }

bool table_edit_access::has_length() const { return model_->has_length(); }

bool table_edit_access::has_precision_scale() const { return model_->has_precision_scale(); }

bool table_edit_access::store_shown_row(const wizard_prompts& prompts) { return model_->store_shown_row(prompts); }

bool table_edit_access::accept(const std::u16string& table_name, const std::vector<bool>& kept,
                               const wizard_prompts& prompts) {
  model_->table_name = table_name;
  model_->kept = kept;
  return model_->accept(prompts);
}
