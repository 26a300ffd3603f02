#include "welcome_model.hpp"

#include "tk_logger.hpp"
#include "vesper_converter.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings.hpp"
#include "wizard_guard.hpp"

welcome_model::welcome_model(vesper_settings& settings, vesper_converter& converter)
    : settings_(settings), converter_(converter) {}

bool welcome_model::load_profile(const std::string& path, const wizard_prompts& prompts) {
  tk_log(2, "welcome_model::load_profile(%s)", path);
  vesper_profile_io profile(settings_, converter_.customisation());
  if (!guarded(converter_.reporter(), prompts, [&] { profile.load(path); })) return false;
  tell_log_file_problem(prompts, profile, settings_.log_file);
  return true;
}
