// One column of a described query: its name, nullability and type, the
// output buffer it is fetched into, and the value of the fetched row. The
// subclasses differ in the external type they fetch as.
#pragma once

#include <memory>
#include <string>

#include "ora_oci.hpp"
#include "ora_stmt.hpp"
#include "t_ftd.hpp"

class ora_engine;

class ora_type {
 public:
  // Reads the type, name and nullability of the column's parameter, which
  // the session `engine` described; the column fetches in that session.
  ora_type(ora_engine& engine, OCIParam* parameter, ub2 oci_type);
  virtual ~ora_type() = default;
  ora_type(const ora_type&) = delete;
  ora_type& operator=(const ora_type&) = delete;

  virtual VARTYPE get_vartype() const;
  virtual std::unique_ptr<t_ftd> get_ftd() const;
  // The fetched value (the indicator says NULL before this is asked).
  virtual ole_variant to_variant() = 0;
  virtual void define(ora_stmt& statement, ub4 position) = 0;

  // The column of `parameter` as the object that fetches its type.
  static std::unique_ptr<ora_type> gen_co_by_type(ora_engine& engine, OCIParam* parameter, ub2 oci_type);

  bool is_null() const { return indicator == -1; }

  std::u16string name;
  bool nullable = true;
  std::uint32_t size = 0;
  ub2 oci_type;
  sb2 indicator = 0;

 protected:
  ub2 read_ub2(OCIParam* parameter, ub4 attribute) const;

  ora_engine& engine_;
};
