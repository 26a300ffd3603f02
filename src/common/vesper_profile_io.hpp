// Moves a converter's whole setup into a profile and back: the generic
// part (folders, log file, queries and tables, options), the Oracle part
// and the type mappings.
#pragma once

#include <string>

class udb_profile;
class vesper_converter;

class vesper_profile_io {
 public:
  explicit vesper_profile_io(vesper_converter& converter) : converter_(converter) {}

  void store(udb_profile& profile) const;
  // Applies the sections in order and stops at the first that fails (the
  // settings applied before it stay applied). An absent query section
  // reads as no entries.
  bool load(const udb_profile& profile);

 private:
  void store_queries(udb_profile& profile) const;
  void store_generic(udb_profile& profile) const;
  void store_options(udb_profile& profile) const;
  void load_queries(const udb_profile& profile);
  void load_generic(const udb_profile& profile);
  void load_logfile(const std::u16string& path);
  void load_options(const udb_profile& profile);

  vesper_converter& converter_;
};
