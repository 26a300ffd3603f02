#include "emu_parser.hpp"

#include "emu_error.hpp"
#include "emu_text.hpp"

namespace ociemu {

namespace {

bool is_constraint_start(const emu_token& t) {
  return t.is_word("CONSTRAINT") || t.is_word("PRIMARY") || t.is_word("UNIQUE") ||
         t.is_word("FOREIGN") || t.is_word("CHECK");
}

// Words that end a DEFAULT expression in a column definition.
bool ends_default(const emu_token& t) {
  return t.kind == token_kind::end || t.is_symbol(",") || t.is_symbol(")") || t.is_word("NOT") ||
         t.is_word("NULL") || t.is_word("CONSTRAINT") || t.is_word("PRIMARY") ||
         t.is_word("UNIQUE") || t.is_word("CHECK") || t.is_word("REFERENCES");
}

}  // namespace

statement_kind classify(const std::vector<emu_token>& tokens) {
  const emu_token& t = tokens.front();
  if (t.is_word("SELECT") || t.is_word("WITH") || t.is_symbol("(")) return statement_kind::select;
  if (t.is_word("INSERT")) return statement_kind::insert;
  if (t.is_word("UPDATE")) return statement_kind::update;
  if (t.is_word("DELETE")) return statement_kind::delete_;
  if (t.is_word("MERGE")) return statement_kind::merge;
  if (t.is_word("CREATE")) return statement_kind::create;
  if (t.is_word("DROP")) return statement_kind::drop;
  if (t.is_word("ALTER")) return statement_kind::alter;
  if (t.is_word("COMMIT")) return statement_kind::commit;
  if (t.is_word("ROLLBACK")) return statement_kind::rollback;
  if (t.is_word("BEGIN") || t.is_word("DECLARE")) return statement_kind::plsql;
  return statement_kind::unknown;
}

unsigned short statement_type_code(statement_kind kind) {
  switch (kind) {
    case statement_kind::select: return 1;
    case statement_kind::update: return 2;
    case statement_kind::delete_: return 3;
    case statement_kind::insert: return 4;
    case statement_kind::merge: return 16;
    case statement_kind::create: return 5;
    case statement_kind::drop: return 6;
    case statement_kind::alter: return 7;
    case statement_kind::plsql: return 8;
    case statement_kind::rollback: return 17;
    case statement_kind::commit: return 21;
    default: return 0;
  }
}

emu_ddl emu_parser::ddl() {
  if (c_.accept_word("DROP")) return drop();
  if (c_.accept_word("ALTER")) return alter_table();
  c_.expect_word("CREATE", 900);
  const bool replace = c_.accept_word("OR") && (c_.expect_word("REPLACE", 922), true);
  if (c_.accept_word("TABLE")) return create_table();
  if (c_.accept_word("UNIQUE")) {
    c_.expect_word("INDEX", 901);
    return create_index(true);
  }
  if (c_.accept_word("INDEX")) return create_index(false);
  if (c_.accept_word("SEQUENCE")) return create_sequence();
  if (c_.accept_word("TRIGGER")) return create_trigger();
  if (c_.accept_word("VIEW") || (c_.accept_word("FORCE") && (c_.expect_word("VIEW", 900), true)))
    return create_view(replace);
  throw ora_error(901);
}

emu_create_table emu_parser::create_table() {
  emu_create_table t;
  t.name = c_.identifier(903);
  c_.expect_symbol("(", 906);
  do {
    if (is_constraint_start(c_.peek())) {
      std::u16string name;
      if (c_.accept_word("CONSTRAINT")) name = c_.identifier();
      t.keys.push_back(key_spec(name));
    } else {
      t.columns.push_back(column_spec(false));
    }
  } while (c_.accept_symbol(","));
  c_.expect_symbol(")", 907);
  storage_clauses(t);
  c_.expect_end();
  return t;
}

// TABLESPACE name and LOB (columns) STORE AS [SECUREFILE|BASICFILE] [segment]
// (TABLESPACE name ...) are kept; every other storage clause is passed over.
void emu_parser::storage_clauses(emu_create_table& t) {
  while (!c_.at_end() && !c_.peek().is_symbol(";")) {
    if (c_.accept_word("TABLESPACE")) {
      t.segments.emplace_back(u"", c_.identifier());
    } else if (c_.accept_word("LOB")) {
      const std::vector<std::u16string> columns = c_.identifier_list();
      c_.expect_word("STORE", 905);
      c_.expect_word("AS", 905);
      // The kind and the segment's name come before its parameters.
      while (!c_.at_end() && !c_.peek().is_symbol("(") && !c_.peek().is_word("TABLESPACE") &&
             !c_.peek().is_word("LOB"))
        c_.next();
      if (!c_.accept_symbol("(")) continue;
      for (int depth = 1; depth > 0 && !c_.at_end();) {
        if (c_.accept_symbol("(")) {
          ++depth;
        } else if (c_.accept_symbol(")")) {
          --depth;
        } else if (c_.accept_word("TABLESPACE")) {
          const std::u16string tablespace = c_.identifier();
          for (const std::u16string& column : columns) t.segments.emplace_back(column, tablespace);
        } else {
          c_.next();
        }
      }
    } else {
      c_.next();
    }
  }
}

emu_column_spec emu_parser::column_spec(bool for_modify) {
  emu_column_spec column;
  column.name = c_.identifier();
  const emu_token& t = c_.peek();
  const bool attribute_first = t.is_word("DEFAULT") || t.is_word("NOT") || t.is_word("NULL") ||
                               t.is_symbol(",") || t.is_symbol(")") || t.kind == token_kind::end;
  if (!(for_modify && attribute_first)) column.type = emu_column_type::parse(c_);
  column_attributes(column);
  return column;
}

void emu_parser::column_attributes(emu_column_spec& column) {
  for (;;) {
    if (c_.accept_word("DEFAULT")) {
      column.default_text = default_text();
    } else if (c_.accept_word("NOT")) {
      c_.expect_word("NULL", 905);
      column.not_null = true;
    } else if (c_.accept_word("NULL")) {
      column.not_null = false;
    } else if (c_.accept_word("CONSTRAINT")) {
      column.key_name = c_.identifier();
    } else if (c_.accept_word("PRIMARY")) {
      c_.expect_word("KEY", 905);
      column.key_type = 'P';
    } else if (c_.accept_word("UNIQUE")) {
      column.key_type = 'U';
    } else {
      return;
    }
  }
}

std::optional<std::u16string> emu_parser::default_text() {
  const std::size_t begin = c_.peek().begin;
  int depth = 0;
  bool first = true;  // DEFAULT NULL: the first word belongs to the expression
  while (first || !(depth == 0 && ends_default(c_.peek()))) {
    first = false;
    if (c_.peek().kind == token_kind::end) throw ora_error(907);
    if (c_.peek().is_symbol("(")) ++depth;
    if (c_.peek().is_symbol(")")) --depth;
    c_.next();
  }
  // As written, with the blanks that follow it (Oracle keeps them in DATA_DEFAULT).
  const std::size_t end = c_.peek().kind == token_kind::end ? c_.sql().size() : c_.peek().begin;
  if (end == begin) throw ora_error(936);
  return c_.source(begin, end);
}

emu_key_spec emu_parser::key_spec(std::u16string name) {
  emu_key_spec k;
  k.name = std::move(name);
  if (c_.accept_word("PRIMARY")) {
    c_.expect_word("KEY", 905);
    k.type = 'P';
  } else if (c_.accept_word("UNIQUE")) {
    k.type = 'U';
  } else if (c_.accept_word("FOREIGN")) {
    c_.expect_word("KEY", 905);
    k.type = 'R';
  } else {
    throw ora_error(902);
  }
  k.columns = c_.identifier_list();
  if (k.type != 'R') return k;
  c_.expect_word("REFERENCES", 905);
  k.ref_table = c_.identifier(903);
  if (c_.peek().is_symbol("(")) k.ref_columns = c_.identifier_list();
  if (c_.accept_word("ON")) {
    c_.expect_word("DELETE", 905);
    if (c_.accept_word("CASCADE")) {
      k.delete_rule = "CASCADE";
    } else {
      c_.expect_word("SET", 905);
      c_.expect_word("NULL", 905);
      k.delete_rule = "SET NULL";
    }
  }
  return k;
}

emu_drop emu_parser::drop() {
  emu_drop d;
  static const char* const types[] = {"TABLE", "VIEW", "SEQUENCE", "INDEX", "TRIGGER"};
  for (const char* type : types)
    if (c_.accept_word(type)) d.object_type = type;
  if (d.object_type.empty()) throw ora_error(950);
  d.name = c_.identifier(d.object_type == "TABLE" ? 903 : 904);
  if (c_.accept_word("CASCADE")) {
    c_.expect_word("CONSTRAINTS", 933);
    d.cascade_constraints = true;
  }
  c_.accept_word("PURGE");
  c_.expect_end();
  return d;
}

emu_alter_table emu_parser::alter_table() {
  emu_alter_table a;
  c_.expect_word("TABLE", 940);
  a.table = c_.identifier(903);
  if (c_.accept_word("ADD")) {
    if (is_constraint_start(c_.peek())) {
      a.what = emu_alter_table::action::add_constraint;
      std::u16string name;
      if (c_.accept_word("CONSTRAINT")) name = c_.identifier();
      a.key = key_spec(name);
    } else {
      a.what = emu_alter_table::action::add_columns;
      const bool list = c_.accept_symbol("(");
      do a.columns.push_back(column_spec(false));
      while (list && c_.accept_symbol(","));
      if (list) c_.expect_symbol(")", 907);
    }
  } else if (c_.accept_word("MODIFY")) {
    a.what = emu_alter_table::action::modify_columns;
    const bool list = c_.accept_symbol("(");
    do a.columns.push_back(column_spec(true));
    while (list && c_.accept_symbol(","));
    if (list) c_.expect_symbol(")", 907);
  } else if (c_.accept_word("DROP")) {
    c_.expect_word("CONSTRAINT", 905);
    a.what = emu_alter_table::action::drop_constraint;
    a.constraint_name = c_.identifier();
    c_.accept_word("CASCADE");
  } else {
    throw ora_error(1735);
  }
  c_.expect_end();
  return a;
}

emu_create_index emu_parser::create_index(bool unique) {
  emu_create_index i;
  i.unique = unique;
  i.name = c_.identifier(953);
  c_.expect_word("ON", 969);
  i.table = c_.identifier(903);
  // Columns, or UPPER / LOWER of a column (a function-based index).
  c_.expect_symbol("(", 906);
  do {
    std::u16string column = c_.identifier(), function;
    if (c_.accept_symbol("(")) {
      function = column;
      if (function != u"UPPER" && function != u"LOWER") throw ora_error(904, {to_utf8(function)});
      column = c_.identifier();
      c_.expect_symbol(")", 907);
    }
    bool descending = false;
    if (!c_.accept_word("ASC")) descending = c_.accept_word("DESC");
    i.descending.push_back(descending);
    i.columns.push_back(column);
    i.functions.push_back(function);
  } while (c_.accept_symbol(","));
  c_.expect_symbol(")", 907);
  while (!c_.at_end() && !c_.peek().is_symbol(";")) c_.next();  // storage clauses
  c_.expect_end();
  return i;
}

std::string emu_parser::signed_number() {
  std::string sign = c_.accept_symbol("-") ? "-" : "";
  if (c_.peek().kind != token_kind::number) throw ora_error(933);
  return sign + to_utf8(c_.next().text);
}

emu_create_sequence emu_parser::create_sequence() {
  emu_create_sequence s;
  s.name = c_.identifier();
  while (!c_.at_end() && !c_.peek().is_symbol(";")) {
    if (c_.accept_word("INCREMENT")) {
      c_.expect_word("BY", 933);
      s.increment = signed_number();
    } else if (c_.accept_word("START")) {
      c_.expect_word("WITH", 933);
      s.start = signed_number();
    } else if (c_.accept_word("MAXVALUE")) {
      s.max_value = signed_number();
    } else if (c_.accept_word("MINVALUE")) {
      s.min_value = signed_number();
    } else if (c_.accept_word("CACHE")) {
      s.cache = c_.integer(933);
    } else if (c_.accept_word("CYCLE")) {
      s.cycle = true;
    } else if (c_.accept_word("ORDER")) {
      s.order = true;
    } else if (c_.accept_word("NOCACHE")) {
      s.cache = 0;
    } else if (!(c_.accept_word("NOCYCLE") || c_.accept_word("NOORDER") ||
                 c_.accept_word("NOMAXVALUE") || c_.accept_word("NOMINVALUE"))) {
      throw ora_error(933);
    }
  }
  c_.expect_end();
  if (s.start.empty()) s.start = s.min_value;
  return s;
}

emu_create_trigger emu_parser::create_trigger() {
  emu_create_trigger t;
  t.name = c_.identifier();
  c_.expect_word("BEFORE", 969);
  c_.expect_word("INSERT", 969);
  c_.expect_word("ON", 969);
  t.table = c_.identifier(903);
  const std::size_t body_start = c_.peek().begin;
  t.body = c_.source(body_start, c_.sql().size());
  try {
    trigger_body(t);
  } catch (const emu_error&) {
    t.valid = false;  // a server stores it and reports a compilation error
  }
  return t;
}

// The one trigger shape supported: fill a column from a sequence, optionally only when it
// is NULL. FOR EACH ROW [WHEN (new.c IS NULL)] BEGIN select s.nextval into :new.c from dual;
// END; or BEGIN :new.c := s.nextval; END;
void emu_parser::trigger_body(emu_create_trigger& t) {
  c_.expect_word("FOR", 900);
  c_.expect_word("EACH", 900);
  c_.expect_word("ROW", 900);
  if (c_.accept_word("WHEN")) {
    c_.expect_symbol("(", 900);
    c_.expect_word("NEW", 900);
    c_.expect_symbol(".", 900);
    t.column = c_.identifier();
    c_.expect_word("IS", 900);
    c_.expect_word("NULL", 900);
    c_.expect_symbol(")", 900);
    t.when_null = true;
  }
  c_.expect_word("BEGIN", 900);
  std::u16string column;
  if (c_.accept_word("SELECT")) {
    t.sequence = c_.identifier();
    c_.expect_symbol(".", 900);
    c_.expect_word("NEXTVAL", 900);
    c_.expect_word("INTO", 900);
    if (!(c_.peek().kind == token_kind::param && c_.next().text == u"NEW")) throw ora_error(900);
    c_.expect_symbol(".", 900);
    column = c_.identifier();
    c_.expect_word("FROM", 900);
    c_.expect_word("DUAL", 900);
  } else {
    if (!(c_.peek().kind == token_kind::param && c_.next().text == u"NEW")) throw ora_error(900);
    c_.expect_symbol(".", 900);
    column = c_.identifier();
    c_.expect_symbol(":=", 900);
    t.sequence = c_.identifier();
    c_.expect_symbol(".", 900);
    c_.expect_word("NEXTVAL", 900);
  }
  c_.expect_symbol(";", 900);
  c_.expect_word("END", 900);
  c_.accept_symbol(";");
  if (!c_.at_end() || (!t.column.empty() && t.column != column)) throw ora_error(900);
  t.column = column;
}

emu_create_view emu_parser::create_view(bool replace) {
  emu_create_view v;
  v.replace = replace;
  v.name = c_.identifier();
  c_.expect_word("AS", 905);
  const std::size_t begin = c_.peek().begin;
  v.select_text = c_.source(begin, c_.sql().size());
  if (!c_.peek().is_word("SELECT") && !c_.peek().is_word("WITH")) throw ora_error(928);
  return v;
}

emu_insert emu_parser::insert() {
  emu_insert ins;
  c_.expect_word("INSERT", 900);
  c_.expect_word("INTO", 925);
  ins.table = c_.identifier(903);
  if (c_.peek().is_symbol("(")) ins.columns = c_.identifier_list();
  c_.expect_word("VALUES", 926);
  c_.expect_symbol("(", 906);
  do ins.values.push_back(expression());
  while (c_.accept_symbol(","));
  c_.expect_symbol(")", 907);
  if (c_.accept_word("RETURNING") || c_.accept_word("RETURN")) {
    do ins.returning.push_back(expression());
    while (c_.accept_symbol(","));
    c_.expect_word("INTO", 925);
    do {
      if (c_.peek().kind != token_kind::param) throw ora_error(1745);
      ins.into.push_back(c_.next().text);
    } while (c_.accept_symbol(","));
    if (ins.into.size() != ins.returning.size()) throw ora_error(ins.into.size() < ins.returning.size() ? 947 : 913);
  }
  c_.expect_end();
  return ins;
}

emu_expr emu_parser::expression() {
  emu_expr left = primary();
  while (c_.accept_symbol("||")) {
    emu_expr concat;
    concat.k = emu_expr::kind::concat;
    concat.args.push_back(std::move(left));
    concat.args.push_back(primary());
    left = std::move(concat);
  }
  return left;
}

emu_expr emu_parser::primary() {
  emu_expr e;
  if (c_.accept_symbol("+")) return primary();
  if (c_.accept_symbol("-")) {
    e.k = emu_expr::kind::negate;
    e.args.push_back(primary());
    return e;
  }
  const emu_token& t = c_.peek();
  switch (t.kind) {
    case token_kind::number: e.k = emu_expr::kind::number; e.text = c_.next().text; return e;
    case token_kind::string: e.k = emu_expr::kind::string; e.text = c_.next().text; return e;
    case token_kind::param: e.k = emu_expr::kind::param; e.text = c_.next().text; return e;
    default: break;
  }
  if (c_.accept_symbol("(")) {
    e = expression();
    c_.expect_symbol(")", 907);
    return e;
  }
  if (c_.accept_word("NULL")) return e;
  if (t.kind == token_kind::word && (t.text == u"DATE" || t.text == u"TIMESTAMP") &&
      c_.peek(1).kind == token_kind::string) {
    e.k = emu_expr::kind::call;
    e.text = c_.next().text == u"DATE" ? u"ANSI_DATE" : u"ANSI_TIMESTAMP";
    emu_expr arg;
    arg.k = emu_expr::kind::string;
    arg.text = c_.next().text;
    e.args.push_back(arg);
    return e;
  }
  if (!t.is_identifier()) throw ora_error(936);
  const bool quoted = t.kind == token_kind::quoted;
  std::u16string name = c_.next().text;
  if (c_.accept_symbol(".")) {
    e.k = emu_expr::kind::sequence;
    e.text = name;
    if (c_.accept_word("NEXTVAL")) return e;
    c_.expect_word("CURRVAL", 904);
    e.nextval = false;
    return e;
  }
  if (!quoted && c_.peek().is_symbol("(")) return call(std::move(name));
  // A bare word is a function without arguments (SYSDATE) unless it names a column.
  e.k = quoted ? emu_expr::kind::column : emu_expr::kind::call;
  e.text = std::move(name);
  return e;
}

emu_expr emu_parser::call(std::u16string name) {
  emu_expr e;
  e.k = emu_expr::kind::call;
  e.text = std::move(name);
  c_.expect_symbol("(", 906);
  if (!c_.accept_symbol(")")) {
    do e.args.push_back(expression());
    while (c_.accept_symbol(","));
    c_.expect_symbol(")", 907);
  }
  return e;
}

}  // namespace ociemu
