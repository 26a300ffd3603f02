#include "emu_evaluator.hpp"

#include "emu_connection.hpp"
#include "emu_error.hpp"
#include "emu_lexer.hpp"
#include "emu_parser.hpp"
#include "emu_text.hpp"
#include "emu_value_converter.hpp"

namespace ociemu {

namespace {

emu_value to_date(const emu_value& text, const emu_value& format, bool fractions) {
  if (text.is_null()) return emu_value::null();
  if (text.kind == value_kind::datetime) return text;
  return emu_value::of_datetime(emu_datetime::parse(emu_value_converter::to_text(text),
                                                    emu_value_converter::to_text(format), fractions));
}

}  // namespace

emu_value emu_evaluator::evaluate(const emu_expr& e) {
  switch (e.k) {
    case emu_expr::kind::null: return emu_value::null();
    case emu_expr::kind::number: {
      const auto n = emu_number::parse(e.text);
      if (!n) throw ora_error(1722);
      return emu_value::of_number(*n);
    }
    case emu_expr::kind::string: return emu_value::of_text(e.text);
    case emu_expr::kind::param: {
      if (!binds_) throw ora_error(1008);
      return binds_->value(e.text, next_param_++);
    }
    case emu_expr::kind::negate: {
      const emu_value v = evaluate(e.args.at(0));
      if (v.is_null()) return v;
      const auto n = emu_value_converter::to_number(v);
      return emu_value::of_number(n.negated());
    }
    case emu_expr::kind::concat: {
      const auto a = evaluate(e.args.at(0)), b = evaluate(e.args.at(1));
      return emu_value::of_text((a.is_null() ? u"" : emu_value_converter::to_text(a)) +
                                (b.is_null() ? u"" : emu_value_converter::to_text(b)));
    }
    case emu_expr::kind::sequence:
      return emu_value::of_number(e.nextval ? connection_.next_value(e.text)
                                            : connection_.current_value(e.text));
    case emu_expr::kind::column: throw ora_error(984);
    case emu_expr::kind::call: return call(e);
  }
  return emu_value::null();
}

emu_value emu_evaluator::argument(const emu_expr& e, std::size_t i) {
  if (i >= e.args.size()) throw ora_error(938);
  return evaluate(e.args[i]);
}

emu_value emu_evaluator::call(const emu_expr& e) {
  const std::u16string& f = e.text;
  if (f == u"EMPTY_CLOB" || f == u"EMPTY_BLOB") return emu_value::empty_lob();
  if (f == u"SYSDATE") return emu_value::of_datetime(emu_datetime::now().with_fraction_digits(0));
  if (f == u"SYSTIMESTAMP") return emu_value::of_datetime(emu_datetime::now());
  if (f == u"USER") return emu_value::of_text(connection_.user().name);
  if (f == u"TO_DATE" || f == u"TO_TIMESTAMP") {
    const emu_value format = e.args.size() > 1 ? argument(e, 1) : emu_value::of_text(u"DD-MON-RR");
    return to_date(argument(e, 0), format, f == u"TO_TIMESTAMP");
  }
  if (f == u"ANSI_DATE") return to_date(argument(e, 0), emu_value::of_text(u"YYYY-MM-DD"), false);
  // The literal's fraction is optional and has up to nine digits (SQL
  // Language Reference, Literals, TIMESTAMP Literals).
  if (f == u"ANSI_TIMESTAMP")
    return to_date(argument(e, 0), emu_value::of_text(u"YYYY-MM-DD HH24:MI:SS.FF"), true);
  if (f == u"HEXTORAW") {
    const emu_value v = argument(e, 0);
    return v.is_null() ? v : emu_value::of_bytes(emu_value_converter::to_bytes(v));
  }
  if (f == u"UNISTR") {
    const emu_value v = argument(e, 0);
    return v.is_null() ? v : emu_value::of_text(emu_value_converter::from_unistr(emu_value_converter::to_text(v)));
  }
  if (f == u"TO_NUMBER") {
    const emu_value v = argument(e, 0);
    return v.is_null() ? v : emu_value::of_number(emu_value_converter::to_number(v));
  }
  if (f == u"TO_CHAR") {
    const emu_value v = argument(e, 0);
    return v.is_null() ? v : emu_value::of_text(emu_value_converter::to_text(v));
  }
  if (f == u"NVL") {
    const emu_value v = argument(e, 0);
    return v.is_null() ? argument(e, 1) : v;
  }
  if (e.args.empty()) throw ora_error(984);  // a bare word naming a column
  throw ora_error(904, {"\"" + to_utf8(f) + "\""});
}

emu_value emu_evaluator::evaluate_default(emu_connection& connection, const std::u16string& text) {
  emu_token_cursor cursor(text, tokenize(text));
  emu_parser parser(cursor);
  const emu_expr e = parser.expression();
  emu_evaluator evaluator(connection, nullptr);
  return evaluator.evaluate(e);
}

}  // namespace ociemu
