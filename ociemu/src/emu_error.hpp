// The Oracle error an emulated call fails with: its ORA number and its full message text.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>

namespace ociemu {

class emu_error : public std::runtime_error {
 public:
  emu_error(int code, const std::string& message);
  int code() const { return code_; }

 private:
  int code_;
};

// Builds "ORA-nnnnn: text" from the message table, %1, %2, ... replaced by the arguments
// (UTF-8). A number missing from the table is an internal fault of the emulation.
emu_error ora_error(int code, std::initializer_list<std::string> args = {});
std::string ora_message(int code, std::initializer_list<std::string> args = {});

// Whether OCIErrorGet gives messages in Oracle 23ai's shape: each ORA message followed by a
// line "Help: https://docs.oracle.com/error-help/db/ora-NNNNN/". The service a session logs
// on to decides (its "messages" setting).
void set_help_lines(bool on);
// The text OCIErrorGet gives for an error, in the shape the last session's service chose.
std::string client_message(const emu_error& error);

// Quoted owner.table.column as Oracle prints it in ORA-01400 and ORA-12899.
std::string quoted_path(const std::string& owner, const std::string& table,
                        const std::string& column);

}  // namespace ociemu
