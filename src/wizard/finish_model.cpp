#include "finish_model.hpp"

#include <fstream>

#include "tk_file_name.hpp"
#include "tk_logger.hpp"
#include "vesper_converter.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings.hpp"
#include "wizard_error_list.hpp"
#include "wizard_guard.hpp"
#include "wizard_prompts.hpp"

finish_model::finish_model(vesper_settings& settings, vesper_converter& converter, const wizard_error_list& errors,
                           const bool& nothing_chosen)
    : settings_(settings), converter_(converter), errors_(errors), nothing_chosen_(nothing_chosen) {}

finish_model::outcome finish_model::load() const {
  tk_log(2, "finish_model::load");
  if (nothing_chosen_) return {"Nothing was Converted", nothing_text, {}};
  outcome result;
  result.errors = errors_.items();
  const run_result& run = converter_.last_run();
  if (result.errors.empty() && !run.failed() && !run.cancelled) {
    tk_log(1, "Display success-message");
    result.heading = "Conversion is Completed";
    result.text = success_text;
    return result;
  }
  tk_log(1, "Display errors");
  const std::string partial = run.partial_table_note();
  const bool stopped = run.stopped_table.has_value() || run.cancelled;
  result.heading = stopped ? "Conversion was Stopped" : "Conversion is Completed";
  result.text = std::string(stopped ? stopped_text : failure_text) + (partial.empty() ? "" : "\n\n" + partial);
  return result;
}

finish_model::log_view finish_model::log() const {
  log_view view;
  if (settings_.log_file.empty()) {
    view.text = no_log_text;
    return view;
  }
  view.path = settings_.log_file;
  std::ifstream in(tk_native_path(settings_.log_file), std::ios::binary | std::ios::ate);
  if (!in) {
    view.text = "The log file " + settings_.log_file + " cannot be read.";
    return view;
  }
  const std::streamoff size = in.tellg();
  const std::streamoff from = size > std::streamoff(log_shown_bytes) ? size - std::streamoff(log_shown_bytes) : 0;
  view.text.resize(std::size_t(size - from));
  in.seekg(from);
  in.read(view.text.data(), std::streamsize(view.text.size()));
  view.text.resize(std::size_t(in.gcount()));
  if (from != 0) view.text.insert(0, "[The start of the log is left out: see " + settings_.log_file + ".]\n");
  view.present = true;
  return view;
}

std::string finish_model::outcome::errors_text() const {
  std::string text;
  for (const std::string& error : errors) text += (text.empty() ? "" : "\n\n") + error;
  return text;
}

// The suffix is what follows the file name's last dot; "job." has none.
std::string finish_model::with_profile_extension(const std::string& path) {
  const std::string name = path.substr(path.find_last_of("/\\") + 1);
  const std::size_t dot = name.rfind('.');
  const bool has_suffix = dot != std::string::npos && dot + 1 < name.size();
  return has_suffix ? path : path + "." + profile_extension;
}

bool finish_model::store_profile(const std::string& path, const wizard_prompts& prompts) const {
  const std::string file = with_profile_extension(path);
  tk_log(2, "finish_model::store_profile(%s)", file);
  bool stored = false;
  const auto store = [&] { stored = vesper_profile_io(settings_, converter_.customisation()).store(file); };
  if (!guarded(converter_.reporter(), prompts, store)) return false;
  if (stored)
    prompts.message("The settings were saved in " + file + ".");
  else
    prompts.error("Cannot write the profile " + file + ": check that its folder exists and may be written.");
  return stored;
}
