#include "win_connecting_dialog.hpp"

#include <commctrl.h>

#include <thread>

#include "win_boxes.hpp"
#include "win_resource.h"

namespace {
constexpr UINT work_done = WM_APP + 2;
constexpr UINT marquee_ms = 50;
}  // namespace

win_connecting_dialog::win_connecting_dialog(const win_boxes& boxes, std::function<void()> work)
    : boxes_(boxes), work_(std::move(work)) {}

void win_connecting_dialog::run(HWND owner) {
  std::thread worker;
  // The worker starts once the dialog exists, so that its end reaches it.
  start_ = [&] {
    worker = std::thread([this] {
      work_();
      ::PostMessageW(window(), work_done, 0, 0);
    });
  };
  const INT_PTR shown = run_modal(IDD_CONNECTING, owner);
  if (shown == -1 && !worker.joinable()) work_();  // no dialog: the work still runs
  if (worker.joinable()) worker.join();
}

oracle_login_model::busy_runner win_connecting_dialog::runner(const win_boxes& boxes, HWND owner) {
  return [&boxes, owner](const std::function<void()>& work) { win_connecting_dialog(boxes, work).run(owner); };
}

INT_PTR win_connecting_dialog::on_message(UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      ::SetWindowTextW(window(), boxes_.caption("Message").c_str());
      set_text(IDC_ERROR_TEXT, std::string(oracle_login_model::connecting));
      ::SendDlgItemMessageW(window(), IDC_BUSY_BAR, PBM_SETMARQUEE, TRUE, marquee_ms);
      centre_over(::GetParent(window()));
      start_();
      return TRUE;
    case work_done:
      close(IDOK);
      return TRUE;
    case WM_COMMAND:  // Escape and the close box wait for the connection
      return TRUE;
    default:
      return FALSE;
  }
}
