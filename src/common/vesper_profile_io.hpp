// Moves a conversion's whole setup into a profile and back: the generic
// part (folders, log file, queries and tables, options), the Oracle part
// and the type mappings of the customisation.
#pragma once

#include <string>

class ora_db_mutator;
class udb_profile;
struct vesper_settings;

class vesper_profile_io {
 public:
  vesper_profile_io(vesper_settings& settings, ora_db_mutator& customisation)
      : settings_(settings), customisation_(customisation) {}

  // The whole setup in a profile file (see udb_profile). Storing raises
  // tk_exception for a setting the file cannot carry; loading raises it for
  // a missing file or an over-long line, and gives false for a file that is
  // not a profile or a type mapping out of order.
  bool store(const std::string& path) const;
  bool load(const std::string& path);

  // Why the loaded profile's log file could not be taken (empty when it
  // was, or when there is no trace to send there). The rest of the profile
  // is loaded all the same; the caller says whether that stops it.
  const std::string& log_file_problem() const { return log_file_problem_; }

  void store(udb_profile& profile) const;
  // Applies the sections in order and stops at the first that fails (the
  // settings applied before it stay applied). An absent query section
  // reads as no entries.
  bool load(const udb_profile& profile);

 private:
  void store_queries(udb_profile& profile) const;
  void store_generic(udb_profile& profile) const;
  void store_oracle(udb_profile& profile) const;
  void store_options(udb_profile& profile) const;
  void load_queries(const udb_profile& profile);
  void load_generic(const udb_profile& profile);
  void load_logfile(const std::u16string& path);
  void load_oracle(const udb_profile& profile);
  void load_options(const udb_profile& profile);

  vesper_settings& settings_;
  ora_db_mutator& customisation_;
  std::string log_file_problem_;
};
