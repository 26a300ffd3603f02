// An error a run's target raises. Level 0: the item at hand (a record, a
// table) fails; connection_lost(): nothing more can reach the target, and
// the run stops.
#pragma once

#include "tk_exception.hpp"

class udb_target_exception : public tk_exception {
 public:
  explicit udb_target_exception(std::u16string_view text, int code = 0, bool lost = false)
      : tk_exception(text, item_level, code), lost_(lost) {}
  explicit udb_target_exception(std::string text, int code = 0, bool lost = false)
      : tk_exception(std::move(text), item_level, code), lost_(lost) {}

  virtual bool connection_lost() const { return lost_; }

 private:
  bool lost_;
};
