#include "ora_schema_initializer.hpp"

#include <algorithm>

#include "tk_reporter.hpp"
#include "ora_default_value.hpp"
#include "ora_engine.hpp"
#include "ora_exception.hpp"
#include "ora_native_type.hpp"
#include "ora_util.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_printable_name.hpp"

namespace {
constexpr int ora_name_taken = 955;
constexpr int ora_no_privilege = 1031;
constexpr int ora_compiled_with_errors = 24344;
constexpr int sequence_attempts = 100;

// A type text chosen by the user (a profile, the type dialog) reaches SQL
// only when its name is one of Oracle's, and as ora_native_type writes it
// from its parsed name and numbers.
bool is_known_type(const t_ftd& c) {
  return c.native_type.empty() || ora_native_type::is_known(ora_native_type::parse(c.native_type).name);
}
}  // namespace

ora_schema_initializer::ora_schema_initializer(std::u16string table_, const udb_schema& source,
                                               const udb_indexes&, bool b_uppercase_,
                                               const ora_server_limits& limits,
                                               const udb_custom_conversion* rules)
    : table(std::move(table_)), b_uppercase(b_uppercase_), validator(source, limits), limits_(limits), rules_(rules) {
  tk_log(1, "ora_schema_initializer::ctor");
  for (std::size_t i = 0; i < source.size(); ++i) {
    const t_ftd& s = source[i];
    std::u16string name = validator.take_name(s.name, b_uppercase);
    auto column = std::make_unique<t_ftd>(s);
    column->name = name;
    if (s.auto_increment) {
      column->b_not_null = false;
      column->default_value = ole_variant();
      auto_increment_column = name;
      first_value_ = std::max<std::int64_t>(1, s.next_value);
    }
    schema.add(std::move(column));
    if (name != s.name) names_map.add(s.name, name);
  }
}

std::u16string ora_schema_initializer::column_type(const t_ftd& c) const {
  const udb_conversion_rule* rule = rules_ ? rules_->rule_for(c) : nullptr;
  std::u16string type = rule ? ora_type_name(rule->column_type(c))
                        : is_known_type(c) && !c.native_type.empty()
                            ? ora_in_characters(ora_native_type::parse(c.native_type).text())
                            : get_ora_native_type(c, false);
  if (type == u"CLOB" && !limits_.is_unicode()) {
    // A CLOB holds the database character set; memo letters it lacks would become "?".
    tk_log(3, "Column '%s': NCLOB instead of CLOB, the database character set %s is not Unicode", c.name,
           limits_.charset());
    type = u"NCLOB";
  }
  return type;
}

std::u16string ora_schema_initializer::column_text(const t_ftd& c, bool with_not_null) const {
  std::u16string text = ora_quoted(c.name) + u" " + column_type(c);
  std::u16string default_text = make_ora_def_val(c, rules_);
  tk_log(1, "got def value: %s", default_text);
  if (!default_text.empty() && ora_can_have_default(c)) text += u" DEFAULT " + default_text;
  tk_log(1, "OraField name='%s', type=%d, size=%d", c.name, c.vartype, c.size);
  if (with_not_null && c.b_not_null && !ora_is_lob_column(c) && c.vartype != VT_BYTE_ARRAY) text += u" NOT NULL";
  return text;
}

std::u16string ora_schema_initializer::add_columns_text(const std::vector<std::size_t>& positions) const {
  std::u16string columns;
  for (std::size_t at : positions) columns += (columns.empty() ? u"" : u", ") + column_text(schema[at], false);
  return u"ALTER TABLE " + ora_qualified(owner, table) + u" ADD (" + columns + u")";
}

std::u16string ora_schema_initializer::create_table_text() const {
  std::u16string text = u"CREATE TABLE " + ora_qualified(owner, table) + u" (";
  std::u16string lobs;
  for (std::size_t i = 0; i < schema.size(); ++i) {
    if (i) text += u", ";
    text += column_text(schema[i]);
    const std::u16string type = column_type(schema[i]);
    if (type == u"CLOB" || type == u"NCLOB" || type == u"BLOB") lobs += (lobs.empty() ? u"" : u", ") + ora_quoted(schema[i].name);
  }
  text += u")";
  if (!tablespace.empty()) text += u" TABLESPACE " + ora_quoted(tablespace);
  if (!lob_tablespace.empty() && !lobs.empty()) text += u" LOB (" + lobs + u") STORE AS (TABLESPACE " + ora_quoted(lob_tablespace) + u")";
  return text;
}

void ora_schema_initializer::build_schema(ora_sql_runner& runner) {
  tk_log(1, "ora_schema_initializer::build_schema( n_columns=%d )", schema.size());
  report_columns();
  std::u16string text = create_table_text();
  tk_log(3, "Run SQL query: %s\n", text);
  runner.run(text);
  if (auto_increment_column.empty()) return;
  const std::size_t warned = warnings.size();
  std::u16string sequence = create_sequence(runner);
  if (sequence.empty()) {
    tk_log(2, "Failed to create a sequence");
    if (warnings.size() != warned) return;  // it said why
    return no_numbering(tk_format("no sequence name is free (%s and the next %d)",
                                  tk_utf16_to_utf8_lenient(sequence_name(0)), sequence_attempts - 1));
  }
  try {
    runner.run(trigger_text(sequence));
  } catch (const ora_exception& e) {
    tk_log(2, "Error while creating index for trigger:\n%s\n", e.message);
    if (e.ora_number() != ora_compiled_with_errors) return trigger_refused(runner, sequence, e);
    drop_trigger(runner, sequence);
    throw ora_exception(e.ora_number(),
                        tk_utf8_to_utf16_lenient(e.message + "\nThe trigger did not compile and was dropped: auto "
                                                     "increment will not be converted."));
  }
}

// A type or default that is not what the column was given: a type name
// Oracle has not, a default that is no value of the column's type (left
// out) or one Oracle will change (kept). The user learns of each.
void ora_schema_initializer::report_columns() const {
  for (std::size_t i = 0; i < schema.size(); ++i) {
    const t_ftd& column = schema[i];
    auto warn = [&](const std::string& what) {
      if (column_notes) return column_notes(column.name, what);
      tk_log_reporter().warn(tk_warning{tk_printable_name_utf8(table), 0, tk_printable_name_utf8(column.name), what});
    };
    if (!is_known_type(column))
      warn(tk_format("the type %s is no Oracle type: the column is declared %s instead", column.native_type,
                     column_type(column)));
    const ora_default_value value(column, rules_);
    if (!value.problem().empty()) warn(value.problem());
  }
}

// Without the trigger nothing numbers new rows: the table keeps its rows and says why, with
// the privilege to grant when that is the reason; the sequence no trigger uses goes.
void ora_schema_initializer::trigger_refused(ora_sql_runner& runner, const std::u16string& sequence,
                                             const ora_exception& e) {
  try {
    runner.run(u"DROP SEQUENCE " + ora_quoted(sequence));
  } catch (const ora_exception& dropped) {
    tk_log(2, "Cannot drop the sequence:\n%s\n", dropped.message);
  }
  std::string why = e.message.substr(0, e.message.find('\n'));
  if (e.ora_number() == ora_no_privilege)
    why += owner.empty() ? "; grant CREATE TRIGGER to the converting user"
                         : "; grant CREATE ANY TRIGGER to the converting user, the table being in another schema";
  no_numbering("its trigger cannot be created (" + why + ")");
}

void ora_schema_initializer::no_numbering(const std::string& why) {
  warnings.push_back(tk_format("auto-increment column %s: %s, new rows get no number from a sequence",
                               tk_utf16_to_utf8_lenient(auto_increment_column), why));
}

// A trigger left invalid fails every insert into its table (ORA-04098), so
// it goes; the table stays, as it does when one of its indexes fails.
void ora_schema_initializer::drop_trigger(ora_sql_runner& runner, const std::u16string& sequence) const {
  try {
    runner.run(u"DROP TRIGGER " + ora_quoted(trigger_name(sequence)));
  } catch (const ora_exception& e) {
    tk_log(2, "Cannot drop the trigger:\n%s\n", e.message);
  }
}

// Quoted, unlike the Oracle habit of unquoted trigger text: the table and
// sequence were created as quoted names, which unquoted text would upper-case.
std::u16string ora_schema_initializer::trigger_text(const std::u16string& sequence) const {
  return u"CREATE OR REPLACE TRIGGER " + ora_quoted(trigger_name(sequence)) + u" BEFORE INSERT ON " +
         ora_qualified(owner, table) + u" FOR EACH ROW WHEN (new." + ora_quoted(auto_increment_column) +
         u" IS NULL) BEGIN select " + ora_quoted(sequence) + u".nextval into :new." +
         ora_quoted(auto_increment_column) + u" from dual; END;";
}

std::u16string ora_schema_initializer::create_sequence(ora_sql_runner& runner) {
  tk_log(1, "ora_schema_initializer::create_sequence");
  for (int n = 0; n < sequence_attempts; ++n) {
    std::u16string sequence = sequence_name(n);
    try {
      runner.run(u"CREATE SEQUENCE " + ora_quoted(sequence) +
                 tk_wformat(u" INCREMENT BY 1 START WITH %I64d", first_value_) +
                 u" MAXVALUE 1.0E28 MINVALUE 1 NOCYCLE NOCACHE ORDER");
      return sequence;
    } catch (const ora_exception& e) {
      if (e.ora_number() == ora_no_privilege) {
        no_numbering("its sequence cannot be created (" + e.message.substr(0, e.message.find('\n')) +
                     "; grant CREATE SEQUENCE to the converting user)");
        return {};
      }
      if (e.ora_number() != ora_name_taken) throw;
    }
  }
  return {};
}

std::u16string ora_schema_initializer::sequence_name(int n) const {
  std::u16string base = table.size() > 28 ? udb_cut_name(table, table.size() - 2) : table;
  std::u16string suffix = tk_wformat(u"_%d", n);
  // Digits and "_" take one byte in every database character set.
  std::size_t room = limits_.name_bytes() - suffix.size();
  if (limits_.byte_length(base) > room) base = limits_.cut(base, room);
  return base + suffix;
}

std::u16string ora_schema_initializer::trigger_name(const std::u16string& sequence) const {
  std::u16string name = table + u"__TRIGGER";
  return limits_.byte_length(name) <= limits_.name_bytes() ? name : sequence;
}
