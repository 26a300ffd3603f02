// What a page does with an error raised while it works (a folder listing, a
// profile, a connection): the error handler reports it, and the wizard stays
// where it was. Any other failure is shown in the page's error box.
#pragma once

#include <QString>
#include <functional>
#include <string>

class tk_reporter;
class vesper_profile_io;
class wizard_boxes;

// Runs `work`; a tk_exception goes to `reporter` without stopping anything,
// another exception's text to `boxes`. False when `work` raised.
bool guarded(tk_reporter& reporter, const wizard_boxes& boxes, const std::function<void()>& work);

// The file filter of the profile dialogs.
QString profile_filter();

// Tells `boxes` that the profile just loaded by `loaded` names a log file
// that cannot be used (`log_file`), when it does: the rest of the profile
// is loaded, and only the log is missing.
void tell_log_file_problem(const wizard_boxes& boxes, const vesper_profile_io& loaded, const std::string& log_file);
