// A scanner of "--name" and "--name=value" arguments against a table of
// option texts; the first table entry the argument begins with is taken.
#pragma once

#include <string>
#include <vector>

struct tk_cmd_option {
  int id;
  const char* text;  // includes the "=" of options that take a value
};

class TCmdLine {
 public:
  virtual ~TCmdLine() = default;
  virtual void next() = 0;
  virtual bool has_current() const = 0;
};

class ansi_cmd_line : public TCmdLine {
 public:
  // The table ends with the entry {0, ""}.
  ansi_cmd_line(int argc, const char* const* argv, const tk_cmd_option* table);

  void next() override;
  bool has_current() const override { return left_ > 0; }

  int current_id() const { return id_; }
  const std::string& current_value() const { return value_; }
  const std::vector<std::string>& unrecognised() const { return unrecognised_; }

 private:
  void recognise();

  const tk_cmd_option* table_;
  std::string value_;
  int id_ = -1;
  std::vector<std::string> unrecognised_;
  const char* const* next_;
  int left_;
};
