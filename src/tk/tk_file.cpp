#include "tk_file.hpp"

#include "tk_exception.hpp"
#include "tk_file_exist.hpp"
#include "tk_file_name.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

namespace {
std::string canonical(const std::string& file_name) {
  if (file_name.empty()) TK_ASSERTION_FAILED();
  return tk_full_path(file_name);
}
}  // namespace

tk_file::tk_file(const std::string& file_name, unsigned flags)
    : name_(canonical(file_name)), flags_(flags) {
  tk_log(2, "tk_file::tk_file(%s)", file_name);
  tk_log(1, "Canonized file name: %s", name_);
  if (!(flags_ & written) && !tk_is_file_exist(name_))
    throw tk_exception("Bad path or busy with another process", tk_exception::run_level);
}

tk_file::~tk_file() { tk_log(2, "tk_file::~tk_file"); }
