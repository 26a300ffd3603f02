#include "win_progress_page.hpp"

#include <commctrl.h>

#include "tk_logger.hpp"
#include "win_resource.h"
#include "win_shell.hpp"

namespace {
constexpr UINT_PTR poll_timer = 0x10000;

// Messages the user-interface thread has waiting, handled while the run stops.
void pump_messages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  ::Sleep(10);
}
}  // namespace

win_progress_page::win_progress_page(vesper_settings& settings, vesper_converter& converter,
                                     wizard_error_list& errors, const bool& nothing_chosen)
    : win_page(IDD_PROGRESS, buttons::none, win_shell::default_help_topic, "Step 5 of 5",
               "Database conversion is in progress"),
      model_(settings, converter, errors, nothing_chosen) {}

win_progress_page::~win_progress_page() { stop_run(); }

void win_progress_page::stop_run() {
  if (!model_.running()) return;
  if (window()) ::KillTimer(window(), poll_timer);
  model_.stop(pump_messages);
}

void win_progress_page::on_init() { ::SendDlgItemMessageW(window(), IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, 100); }

void win_progress_page::page_init() {
  tk_log(2, "progress_page::page_init");
  ::SendDlgItemMessageW(window(), IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
  if (model_.running()) return;
  model_.start();
  ::SetTimer(window(), poll_timer, run_model::tick_ms, nullptr);
}

void win_progress_page::on_timer(UINT_PTR id) {
  if (id != poll_timer) return;
  const run_model::progress now = model_.poll();
  ::SendDlgItemMessageW(window(), IDC_PROGRESS_BAR, PBM_SETPOS, now.bar, 0);
  set_text(IDC_TABLE_LINE, now.table.empty() ? std::u16string() : u"Processing table '" + now.table + u"'");
  if (now.finished) finish_run();
}

void win_progress_page::finish_run() {
  ::KillTimer(window(), poll_timer);
  model_.finish();
  if (model_.stopping()) {
    // The user leaves the wizard, but must learn what the stop left behind.
    boxes().message(model_.stopped_text());
    shell().close_now();
    return;
  }
  if (finish_) shell().go_to(*finish_);
}

// The run stops at the next record; the wizard closes when it has.
bool win_progress_page::on_cancel() {
  const bool close = model_.cancel(boxes());
  if (model_.stopping()) shell().enable_button(IDCANCEL, false);
  return close;
}
