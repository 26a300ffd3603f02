// The tables page's logic: the folder's tables and the user's queries,
// moved between the available and the selected list; the labels the lists
// show; the queries added and changed; the columns Edit Table starts from;
// and what Next and Back store.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "wizard_prompts.hpp"

class dbf_database;
class udb_schema;
class vesper_converter;
struct vesper_settings;

class tables_model {
 public:
  static constexpr const char* none_selected = "There are no tables selected. Continue anyway?";
  static constexpr const char* duplicate_name = "Duplicate table name. Try again.";

  // `nothing_chosen` is set when the user goes on with no table selected,
  // so that the run converts none rather than every table of the folder.
  tables_model(vesper_settings& settings, vesper_converter& converter, bool& nothing_chosen);

  // The folder's tables (a listing error is reported) and the queries, with
  // the earlier choice selected again.
  void load(const wizard_prompts& prompts);
  // The table and query names of each list, in their order.
  const std::vector<std::u16string>& available() const { return available_; }
  const std::vector<std::u16string>& selected() const { return selected_; }
  // What a list shows for `name`: a query is marked, for it is kept with the
  // settings but never converted; a renamed table shows its Oracle name.
  std::u16string label_of(const std::u16string& name) const;
  bool is_query(const std::u16string& name) const;
  // What a list shows beside `name`: the records its header counts ("11
  // records"), why its header cannot be read, or nothing for a query.
  std::u16string records_text(const std::u16string& name) const;

  // Moves one entry (or all) between the lists, at the end of the other.
  void add(std::size_t row);
  void add_all();
  void remove(std::size_t row);
  void remove_all();

  // A query's name must be new to both lists; `old_name` is the one it had
  // (empty for a new query), which it may keep.
  wizard_notice check_query_name(const std::u16string& name, const std::u16string& old_name) const;
  // A new query at the end of the selected list.
  void add_query(const std::u16string& name, const std::u16string& text);
  // The text of the selected query `name`; null for a table.
  const std::u16string* query_text(const std::u16string& name) const;
  void change_query(const std::u16string& old_name, const std::u16string& name, const std::u16string& text);
  // The columns of `table` as the run creates them, which Edit Table shows;
  // null when the map and types files or the table cannot be read (the
  // error was reported and shown).
  std::unique_ptr<udb_schema> columns_to_edit(const std::u16string& table, const wizard_prompts& prompts) const;
  // Whether logical columns are kept as the file holds them (Edit Table's default type).
  bool logicals_as_is() const;

  // Check: the pre-flight report of the selected tables (see check_model),
  // empty when there is none to check (the user was told).
  std::string check(const wizard_prompts& prompts, const wizard_busy_runner& busy) const;

  // Next: with nothing selected the user is asked; true moves on.
  bool next(const wizard_prompts& prompts);
  // The choice is kept for the way back here, from another folder too (its
  // tables of the same names are chosen again).
  void back();

 private:
  using query_map = std::map<std::u16string, std::u16string>;

  void select_earlier_choice();
  void count_records(const dbf_database& folder);
  std::vector<std::u16string> chosen_tables() const;
  bool is_listed(const std::u16string& name) const;
  void move(std::vector<std::u16string>& from, std::size_t row, std::vector<std::u16string>& to);
  void store();

  vesper_settings& settings_;
  vesper_converter& converter_;
  bool& nothing_chosen_;
  std::vector<std::u16string> available_;
  std::vector<std::u16string> selected_;
  query_map available_queries_;
  query_map selected_queries_;
  std::map<std::u16string, std::u16string> records_;  // by table
};
