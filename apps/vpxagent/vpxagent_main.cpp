// The console agent: converts the tables of one DBF folder into Oracle with
// the settings of its command line (over those the wizard stored).
//
// Exit status: 0 when every selected table converted whole; 1 when it did,
// but warnings told of data not carried over whole (a damaged memo, a
// dropped column); 2 when the run finished but tables or records failed
// (their errors were printed); 255 for usage, bad options, a connection that
// could not be made, run-stopping and internal errors. The larger status wins.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "agent_check.hpp"
#include "agent_command_line.hpp"
#include "agent_console_presenter.hpp"
#include "agent_run_lines.hpp"
#include "agent_worker.hpp"
#include "error_handler.hpp"
#include "ora_error_texts.hpp"
#include "tk_logger.hpp"
#include "tk_program_start.hpp"
#include "vesper_converter.hpp"
#include "vesper_settings_store.hpp"

namespace {

// A log that could not be written (a full disk) misses what the user asked
// it to keep: a warning, so that the exit status tells of it.
void warn_of_an_unwritten_log(error_handler& handler) {
  const tk_logger* logger = tk_logger::find();
  if (logger && logger->write_failed())
    handler.warn(
        {std::string(), 0, std::string(), "the log file " + logger->path + " could not be written whole; lines are missing from it"});
}

int convert(const std::vector<std::string>& arguments, error_handler& handler) {
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  const int argc = static_cast<int>(argv.size());
  // The stored settings, under what the agent always does, under the options.
  vesper_settings_store store;
  vesper_settings settings;
  store.load(settings);
  settings.skip_deleted = false;
  settings.logicals_as_is = true;
  vesper_converter converter(handler);
  agent_command_line command_line(settings, converter.customisation(), handler);
  if (argc == 1 || !command_line.parse_cmd_line(argc, argv.data()))
    command_line.fatal(command_line.usage_for_mistakes());
  const bool silent = command_line.is_silent();
  // On a terminal the progress is shown unasked; elsewhere it would fill a
  // log that nobody watches, unless --progress asks for it.
  // The error handler's presenter owns the display: it outlives the
  // converter, and clears the line before each message.
  const bool terminal = isatty(STDERR_FILENO) == 1;
  agent_progress* progress = nullptr;
  if (!silent && (terminal || command_line.progress_forced())) {
    auto presenter = std::make_unique<agent_console_presenter>(std::make_unique<agent_progress>(
        stderr, terminal ? agent_progress::style::terminal : agent_progress::style::lines));
    progress = &presenter->progress();
    handler.set_presenter(std::move(presenter));
  }
  // Told once the options have said whether to be silent and where to log.
  if (!store.problem().empty()) handler.handle(tk_exception(store.problem()));
  if (command_line.check_wanted()) return agent_check(converter, settings, command_line, handler).run();
  try {
    converter.connect_oracle_server(settings);
  } catch (const tk_exception& e) {
    handler.handle(e, false);
    return agent_command_line::failure_status;
  }
  // Only a terminal's progress is redrawn in place and needs clearing.
  agent_run_lines lines(terminal ? progress : nullptr);
  run_quiet_presenter quiet;
  run_presenter& presenter = silent ? static_cast<run_presenter&>(quiet) : lines;
  if (command_line.worker_wanted()) {
    const int status =
        agent_worker(converter, settings, handler, presenter, progress, agent_worker::lease_from_environment()).run();
    warn_of_an_unwritten_log(handler);
    return std::max(status, agent_check::status_of(run_result(), handler));
  }
  converter.run(settings, presenter, progress);
  warn_of_an_unwritten_log(handler);
  return agent_check::status_of(converter.last_run(), handler);
}

}  // namespace

int main(int argc, char** argv) {
  // The options are read from a copy, so that the password leaves the
  // process's own arguments before anything else happens.
  const std::vector<std::string> arguments = tk_program_start(argc, argv);
  agent_command_line::hide_password(argc, argv);
  tk_logger logger(nullptr, false, 3, false);
  error_handler handler(ora_error_texts::count(), ora_error_texts::table());
  try {
    return convert(arguments, handler);
  } catch (const tk_exception& e) {
    handler.handle(e, false);
    return agent_command_line::failure_status;
  } catch (const std::exception& e) {
    tk_log(3, "%s", e.what());
    if (!handler.silent) std::fprintf(stderr, "%s\n", e.what());
    return agent_command_line::failure_status;
  }
}
