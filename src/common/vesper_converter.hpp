// What a front end keeps between runs: the user's customisation, the
// connection to Oracle and where reports go. Each run is a conversion_run
// with the settings and context of the moment; a front end on another
// thread polls its status and may ask it to stop.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "ora_db_mutator.hpp"
#include "oracle_connection.hpp"
#include "run_result.hpp"
#include "run_status.hpp"

class dbf_recordset;
class run_presenter;
class tk_reporter;
class vesper_progress;
struct vesper_settings;

class vesper_converter {
 public:
  // Warnings and errors of runs go to `reporter`, which outlives the converter.
  explicit vesper_converter(tk_reporter& reporter);
  ~vesper_converter();
  vesper_converter(const vesper_converter&) = delete;
  vesper_converter& operator=(const vesper_converter&) = delete;

  // Connects to the settings' service (see oracle_connection).
  void connect_oracle_server(const vesper_settings& settings) { oracle_.connect(settings); }
  // The connected schema, or null; the Oracle engine once a connection was made.
  ora_database* target() const { return oracle_.target(); }
  ora_engine* engine() const { return oracle_.engine(); }
  // Replaces the target (the pre-flight report runs against a recording one).
  void use_target(std::unique_ptr<ora_database> target) { oracle_.use_target(std::move(target)); }

  ora_db_mutator& customisation() { return customisation_; }
  const ora_db_mutator& customisation() const { return customisation_; }
  tk_reporter& reporter() const { return reporter_; }

  // Runs with `settings` on the calling thread, telling its lines to
  // `presenter` and its records to `progress` (may be null). Never raises.
  const run_result& run(const vesper_settings& settings, run_presenter& presenter, vesper_progress* progress = nullptr,
                        std::function<void(const dbf_recordset&)> table_opened = {});

  // From another thread: stop the run at the next record (or batch)
  // boundary. Whoever starts a run clears it first.
  void request_cancel() { cancel_ = true; }
  void clear_cancel() { cancel_ = false; }
  // How far the current run is; done once it has ended.
  const run_status& status() const { return status_; }
  // The last run's result (read once status().done).
  const run_result& last_run() const { return last_; }

 private:
  // A run on settings.parallel sessions (the connected one and more of its service).
  void run_parallel(const vesper_settings& settings, run_presenter& presenter, vesper_progress* progress);

  tk_reporter& reporter_;
  ora_db_mutator customisation_;
  oracle_connection oracle_;
  std::atomic<bool> cancel_{false};
  run_status status_;
  run_result last_;
};
