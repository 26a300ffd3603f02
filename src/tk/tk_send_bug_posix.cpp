#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "tk_logger.hpp"
#include "tk_send_bug.hpp"

extern char** environ;

namespace {

// Runs `program url` through the PATH and waits for it; false when it could not start.
bool run_mail_program(const char* program, const std::string& url) {
  std::vector<char*> argv{const_cast<char*>(program), const_cast<char*>(url.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program, nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  tk_log(2, "%s returns %d", program, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return WIFEXITED(status) && WEXITSTATUS(status) != 127;
}

}  // namespace

bool tk_open_mail_url(const std::string& url) {
  return run_mail_program("xdg-email", url) || run_mail_program("xdg-open", url);
}
