// The lines a conversion run tells as it goes (which folder and tables it
// converts, what it skips or continues, the summary that ends it). The run
// prints nothing itself: the agent's console shows these lines, the wizard
// and the pre-flight report keep them to themselves. Warnings and errors go
// to the run's reporter, not here.
#pragma once

#include <string>

class run_presenter {
 public:
  virtual ~run_presenter() = default;
  // A line of the run's account, for standard output.
  virtual void say(const std::string& line) = 0;
  // A line about something that went wrong outside a table's errors (a
  // table named that has no file, an error no handler took), for standard
  // error.
  virtual void complain(const std::string& line) = 0;
};

// Shows nothing: for front ends that show the run otherwise, or not at all.
class run_quiet_presenter : public run_presenter {
 public:
  void say(const std::string&) override {}
  void complain(const std::string&) override {}
};
