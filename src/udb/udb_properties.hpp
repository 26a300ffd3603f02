// Named text properties of a customisation object (kept in profiles).
#pragma once

#include <map>
#include <string>

class udb_properties {
 public:
  using properties = std::map<std::u16string, std::u16string>;
  virtual ~udb_properties() = default;
  virtual properties& get_properties() { return properties_; }

 protected:
  properties properties_;
};
