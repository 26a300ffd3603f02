#include "tk_log_file.hpp"

#include "tk_exception.hpp"
#include "tk_file_exist.hpp"
#include "tk_file_name.hpp"
#include "tk_logger.hpp"
#include "tk_trace_file.hpp"

void tk_use_log_file(const std::string& path) {
  tk_log(1, "tk_use_log_file(%s)", path);
  if (path.empty()) return;
  if (tk_is_file_exist(path) && !tk_is_file_exist(path, tk_file_access::read_write))
    throw tk_exception("Logfile name specifies an existing read-only file.", tk_exception::run_level);
  if (!tk_is_path_exist(tk_file_name(path).folder_path()))
    throw tk_exception("Logfile path does not exist.\nPlease verify the correct path was given.",
                       tk_exception::run_level);
  if (const std::string refusal = tk_trace_link_refusal(path); !refusal.empty())
    throw tk_exception(refusal, tk_exception::run_level);
  if (tk_logger* logger = tk_logger::find()) {
    logger->set_path(path.c_str());
    logger->set_enabled(true);
  }
}
