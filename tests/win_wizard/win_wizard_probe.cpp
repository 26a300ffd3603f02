#include "win_wizard_probe.hpp"

#include "ora_db_mutator.hpp"
#include "vesper_converter.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings.hpp"

bool win_wizard_probe::write_profile(const std::filesystem::path& profile, const std::filesystem::path& folder,
                                     const std::vector<std::u16string>& tables, const std::filesystem::path& log) {
  vesper_settings settings;
  ora_db_mutator customisation;
  settings.folder = folder.u16string();
  settings.service = u"XE";
  settings.user = u"scott";
  settings.password = u"tiger";
  settings.host.clear();
  settings.port = u"1521";
  settings.tables = tables;
  settings.log_file = log.string();
  return vesper_profile_io(settings, customisation).store(profile.string());
}

bool win_wizard_probe::connected(const vesper_converter& converter) { return converter.target() != nullptr; }

bool win_wizard_probe::loading(const vesper_converter& converter, const std::u16string& table, std::uint64_t records) {
  return converter.status().current_table() == table && converter.status().records_done > records;
}
