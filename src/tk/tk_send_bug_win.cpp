#include <windows.h>
#include <shellapi.h>

#include "tk_logger.hpp"
#include "tk_send_bug.hpp"
#include "tk_win_text.hpp"

bool tk_open_mail_url(const std::string& url) {
  auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", tk_win_wide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  tk_log(2, "ShellExecuteW returns %d", static_cast<int>(result));
  return result > 32;  // smaller values are the documented failures
}
