#include "vesper_profile_io.hpp"

#include "dbf_code_pages.hpp"
#include "ora_mapping_tree.hpp"
#include "tk_convert.hpp"
#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_log_file.hpp"
#include "udb_profile.hpp"
#include "vesper_settings.hpp"

namespace {

const std::u16string generic_settings = u"Generic settings";
const std::u16string selected_tables = udb_profile::selected_tables;
// Sync keys the user gave: TABLE=FIELD,FIELD.
const std::u16string sync_keys = u"Sync keys";
const std::u16string available_queries = u"Available Queries";
const std::u16string type_mappings = u"Type Mappings";
const std::u16string oracle_settings = u"Oracle settings";

std::u16string flag(bool on) { return on ? u"1" : u"0"; }

// The leading decimal number of the text, as the C runtime reads one: a
// driver byte, or a code page number from 256 up. Anything else reads 0
// (each file's own code page).
int code_page_of(const std::u16string& text) {
  std::size_t i = text.find_first_not_of(u' ');
  int value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > 999999) return 0;
  }
  return value < 256 || dbf_code_pages::is_valid_setting(value) ? value : 0;
}

// The sessions a profile asks for; a value outside 1..64 (damaged, or
// missing) keeps one session.
std::uint32_t sessions_of(const std::u16string& text) {
  if (text.empty() || text.size() > 2) return 1;
  std::uint32_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return 1;
    value = value * 10 + static_cast<std::uint32_t>(c - u'0');
  }
  return value >= 1 && value <= vesper_settings::max_parallel ? value : 1;
}

}  // namespace

bool vesper_profile_io::store(const std::string& path) const {
  tk_log(2, "vesper_profile_io::store(%s)", path);
  udb_profile profile;
  store(profile);
  return profile.store(path);
}

bool vesper_profile_io::load(const std::string& path) {
  tk_log(2, "vesper_profile_io::load(%s)", path);
  udb_profile profile;
  return profile.load(path) && load(profile);
}

void vesper_profile_io::store(udb_profile& profile) const {
  store_queries(profile);
  store_generic(profile);
  store_oracle(profile);
  store_options(profile);
  for (const std::u16string& line : ora_mapping_tree::write(customisation_)) profile.add_line(type_mappings, line);
}

void vesper_profile_io::store_queries(udb_profile& profile) const {
  for (const auto& [name, text] : settings_.unused_queries) {
    tk_log(1, "Available Query: (%s,%s)", name, text);
    profile.set_value(available_queries, name, text);
  }
  for (const auto& [name, text] : settings_.table_queries) {
    tk_log(1, "Selected Query: (%s,%s)", name, text);
    profile.set_value(selected_tables, name, text);
  }
  // A table chosen without an entry of its own must not be lost: a profile
  // without it would convert every table of the folder.
  for (const std::u16string& name : settings_.tables) profile.set_value(selected_tables, name, u"");
}

void vesper_profile_io::store_generic(udb_profile& profile) const {
  tk_log(2, "vesper_profile_io::store_generic");
  profile.set_value(generic_settings, u"src", settings_.folder);
  profile.set_value(generic_settings, u"dest", settings_.service);
  profile.set_value(generic_settings, u"logfile", tk_utf8_to_ucs2(settings_.log_file));
  profile.set_value(generic_settings, u"skip indexes", flag(settings_.skip_indexes));
  profile.set_value(generic_settings, u"only definitions", flag(settings_.definitions_only));
  profile.set_value(generic_settings, u"mode", tk_wformat(u"%d", static_cast<int>(settings_.existing_tables)));
}

// The password as typed: a profile file is private to its user.
void vesper_profile_io::store_oracle(udb_profile& profile) const {
  profile.set_value(oracle_settings, u"host", settings_.host);
  profile.set_value(oracle_settings, u"password", settings_.password);
  profile.set_value(oracle_settings, u"port", settings_.port);
  profile.set_value(oracle_settings, u"user", settings_.user);
}

void vesper_profile_io::load_oracle(const udb_profile& profile) {
  settings_.host = profile.get_value(oracle_settings, u"host");
  settings_.password = profile.get_value(oracle_settings, u"password");
  settings_.port = profile.get_value(oracle_settings, u"port");
  settings_.user = profile.get_value(oracle_settings, u"user");
}

void vesper_profile_io::store_options(udb_profile& profile) const {
  profile.set_value(generic_settings, u"skip deleted", flag(settings_.skip_deleted));
  profile.set_value(generic_settings, u"bool as is", flag(settings_.logicals_as_is));
  profile.set_value(generic_settings, u"row by row", flag(settings_.row_by_row()));
  profile.set_value(generic_settings, u"encoding", tk_wformat(u"%d", static_cast<int>(settings_.code_page)));
  profile.set_value(generic_settings, u"schema", settings_.schema);
  profile.set_value(generic_settings, u"tablespace", settings_.tablespace);
  profile.set_value(generic_settings, u"lob tablespace", settings_.lob_tablespace);
  // Written only where they differ from the defaults, so that a profile of
  // a release without sync mode is stored again as it was.
  if (!settings_.sync_deletes) profile.set_value(generic_settings, u"sync deletes", u"0");
  // Written only when asked for, so that profiles of one session stay as they were.
  if (settings_.parallel > 1) profile.set_value(generic_settings, u"parallel", tk_wformat(u"%d", static_cast<int>(settings_.parallel)));
  for (const auto& [table, fields] : settings_.sync_keys) {
    std::u16string list;
    for (const std::u16string& field : fields) list += (list.empty() ? u"" : u",") + field;
    profile.set_value(sync_keys, table, list);
  }
}

bool vesper_profile_io::load(const udb_profile& profile) {
  load_queries(profile);
  load_generic(profile);
  load_oracle(profile);
  if (!ora_mapping_tree::read(profile.get_source_lines(type_mappings), customisation_)) return false;
  load_options(profile);
  return true;
}

// The profile's choice replaces the current one: added to it, loading the
// same profile twice would convert every table twice.
void vesper_profile_io::load_queries(const udb_profile& profile) {
  settings_.tables.clear();
  settings_.table_queries.clear();
  settings_.unused_queries.clear();
  if (profile.has_section(selected_tables)) {
    for (const auto& [name, text] : profile.get_section(selected_tables)) {
      settings_.table_queries.emplace(name, text);
      if (!text.empty()) continue;
      tk_log(1, "Push back table '%s'", name);
      settings_.tables.push_back(name);
    }
  }
  if (profile.has_section(available_queries))
    settings_.unused_queries = profile.get_section(available_queries);
}

void vesper_profile_io::load_generic(const udb_profile& profile) {
  tk_log(2, "vesper_profile_io::load_generic");
  auto value = [&](const char16_t* key) { return profile.get_value(generic_settings, key); };
  settings_.folder = value(u"src");
  settings_.service = value(u"dest");
  load_logfile(value(u"logfile"));
  settings_.definitions_only = value(u"only definitions") != u"0";
  // Only the four known modes: a damaged value leaves the mode as it was.
  std::u16string mode = value(u"mode");
  if (mode.size() == 1 && mode[0] >= u'0' && mode[0] <= u'3') settings_.existing_tables = static_cast<existing_table_mode>(mode[0] - u'0');
  settings_.skip_indexes = value(u"skip indexes") != u"0";
}

// With a trace the path is checked and the trace goes there. The path is
// kept either way, so that the next profile stored carries it again; a
// folder that does not exist on this machine does not stop the rest of the
// profile from loading, it is only told (log_file_problem).
void vesper_profile_io::load_logfile(const std::u16string& path) {
  std::string narrow = tk_to_utf8(path);
  tk_log(1, "Logfile=%s", narrow);
  log_file_problem_.clear();
  if (tk_logger::find()) {
    try {
      tk_use_log_file(narrow);
    } catch (const tk_exception& e) {
      log_file_problem_ = e.message;
    }
  }
  settings_.log_file = narrow;
}

void vesper_profile_io::load_options(const udb_profile& profile) {
  settings_.skip_deleted = profile.get_value(generic_settings, u"skip deleted") == u"1";
  settings_.logicals_as_is = profile.get_value(generic_settings, u"bool as is") == u"1";
  settings_.insert = profile.get_value(generic_settings, u"row by row") == u"1" ? insert_path::row_by_row
                                                                              : insert_path::bound_batches;
  settings_.code_page = code_page_of(profile.get_value(generic_settings, u"encoding"));
  settings_.schema = profile.get_value(generic_settings, u"schema");
  settings_.tablespace = profile.get_value(generic_settings, u"tablespace");
  settings_.lob_tablespace = profile.get_value(generic_settings, u"lob tablespace");
  settings_.sync_deletes = profile.get_value(generic_settings, u"sync deletes") != u"0";
  settings_.parallel = sessions_of(profile.get_value(generic_settings, u"parallel"));
  settings_.sync_keys.clear();
  if (!profile.has_section(sync_keys)) return;
  for (const auto& [table, list] : profile.get_section(sync_keys))
    settings_.sync_keys[table] = vesper_settings::key_fields_of(list);
}
