// What the Windows wizard's tests and screenshots read or prepare of the
// session beside its windows: a profile to quick-launch, whether the
// wizard is connected, how far the run is. Kept apart from the Windows
// headers: the session's types and windows.h declare some of the same names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class vesper_converter;

class win_wizard_probe {
 public:
  // Writes `profile` as Save Settings would: the emulation's XE as
  // scott/tiger, `tables` of `folder`, and the run's log in `log`.
  static bool write_profile(const std::filesystem::path& profile, const std::filesystem::path& folder,
                            const std::vector<std::u16string>& tables, const std::filesystem::path& log);
  // The wizard's own connection is open.
  static bool connected(const vesper_converter& converter);
  // The run is loading `table` and has done more than `records` of it.
  static bool loading(const vesper_converter& converter, const std::u16string& table, std::uint64_t records);
};
