// How a customised logical column reaches the Oracle type chosen for it.
// Its values keep the meaning an uncustomised run gives them: true is 1
// and false 0, or 'T' and 'F' with logicals "as is". A type that holds
// them takes them; the column's own type (the numeric one the type dialog
// offers by default, or CHAR(1) "as is") is only a rename; any other type
// cannot hold them and is refused: the column keeps its own type.
#pragma once

#include <string>

#include "ole_variant.hpp"
#include "ora_native_type.hpp"

class ora_logical_column {
 public:
  enum class plan { own_type, number, text, refused };

  ora_logical_column(const ora_native_type& chosen, bool as_is);

  plan how() const { return plan_; }
  // The value that goes to the chosen type for the logical `value`.
  ole_variant value(const ole_variant& value) const;
  // A default in the form the values take ("1" -> 'T' for text "as is");
  // a text that is no logical value stays as it is.
  std::u16string default_of(const std::u16string& text) const;
  // Why the chosen type was refused (empty when it was not).
  std::string refusal() const;

 private:
  plan choose() const;

  ora_native_type chosen_;
  bool as_is_;
  plan plan_;
};
