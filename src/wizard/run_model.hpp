// The progress page's logic: the conversion on a worker thread, the
// progress a view polls from it, and Cancel, which stops the run at the
// next record and closes the wizard once the run has ended.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "run_presenter.hpp"
#include "run_progress_board.hpp"

class vesper_converter;
class wizard_error_list;
class wizard_prompts;
struct vesper_settings;

class run_model {
 public:
  // How often a view polls, in milliseconds.
  static constexpr int tick_ms = 200;

  struct progress {
    int bar = 0;                // 0 to 100
    std::u16string table;       // the table being converted; empty: none
    bool finished = false;      // the run (or the lack of one) is over
    // The current table's records, rate and time left, as the agent shows
    // them (empty between tables), and the tables done so far.
    std::string table_line;
    std::vector<run_progress_board::finished_table> tables_done;
  };

  // `nothing_chosen`: the user went on with no table; the run is left out.
  run_model(vesper_settings& settings, vesper_converter& converter, wizard_error_list& errors,
            const bool& nothing_chosen);
  // A run still going is told to stop and waited for.
  ~run_model();
  run_model(const run_model&) = delete;
  run_model& operator=(const run_model&) = delete;

  // The bar's position for `tables_done` of `tables` finished and
  // `records_done` of `records` of the current table processed.
  static int bar_position(std::uint32_t tables, std::uint32_t tables_done, std::uint32_t records,
                          std::uint32_t records_done);

  // Starts the run, unless one is going: the error list and any earlier
  // stop request are cleared first.
  void start();
  progress poll() const;
  bool running() const { return worker_.joinable(); }
  // Joins the worker once poll() says the run has finished.
  void finish();

  // Cancel on the progress page: without a run the wizard closes once the
  // user confirms (true). During a run a confirmed Cancel stops it at the
  // next record and the wizard closes once it has ended (stopping()); the
  // page stays meanwhile (false).
  bool cancel(const wizard_prompts& prompts);
  // The user confirmed Cancel during the run.
  void request_stop();
  bool stopping() const { return close_when_done_; }
  // What the user is told when the wizard closes after a stop.
  std::string stopped_text() const;
  // The program is closing: a run still going is told to stop and waited
  // for, `pump` called meanwhile (the view answers its dialogs there).
  void stop(const std::function<void()>& pump);

 private:
  vesper_settings& settings_;
  vesper_converter& converter_;
  wizard_error_list& errors_;
  const bool& nothing_chosen_;
  run_quiet_presenter lines_;  // the page shows the run its own way
  run_progress_board board_;
  std::atomic<bool> finished_{false};
  std::thread worker_;
  bool close_when_done_ = false;
};
