// The query dialog ("Add Query", 128): a name to keep a SELECT text under,
// the text, OK, Cancel, Test Query and Help.
#pragma once

#include <string>

#include "query_model.hpp"
#include "win_dialog.hpp"

class udb_database;
class win_shell;

class win_query_dialog : public win_dialog {
 public:
  // `database`: where Test Query runs it (may be null when not connected).
  win_query_dialog(win_shell& shell, udb_database* database, const std::u16string& name, const std::u16string& text);
  // True when the user pressed OK on a name and a query that will do.
  bool show(HWND owner);
  const std::u16string& name() const { return model_.result_name(); }
  const std::u16string& query() const { return model_.result_query(); }

 private:
  INT_PTR on_message(UINT message, WPARAM wparam, LPARAM lparam) override;
  void read_fields();

  win_shell& shell_;
  query_model model_;
};
