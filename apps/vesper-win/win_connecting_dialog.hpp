// The window shown while the wizard connects to Oracle (101): "Connecting
// to Oracle server. Please wait..." over a moving bar. The connection runs
// on a worker thread, which posts the dialog its end; the dialog cannot be
// closed before that.
#pragma once

#include <functional>
#include <string>

#include "oracle_login_model.hpp"
#include "win_dialog.hpp"

class win_boxes;

class win_connecting_dialog : public win_dialog {
 public:
  win_connecting_dialog(const win_boxes& boxes, std::function<void()> work);
  // Runs the work while the dialog is shown over `owner`.
  void run(HWND owner);

  // The login model's way to run a slow step: in this dialog over `owner`.
  static oracle_login_model::busy_runner runner(const win_boxes& boxes, HWND owner);

 private:
  INT_PTR on_message(UINT message, WPARAM wparam, LPARAM lparam) override;

  const win_boxes& boxes_;
  std::function<void()> work_;
  std::function<void()> start_;
};
