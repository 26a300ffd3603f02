// What a page does with an error raised while it works (a folder listing, a
// profile, a connection): the error handler reports it, and the wizard stays
// where it was.
#pragma once

#include <QString>
#include <functional>

class tk_reporter;

// Runs `work`; a tk_exception goes to `reporter` without stopping anything.
// False when `work` raised.
bool guarded(tk_reporter& reporter, const std::function<void()>& work);

// The file filter of the profile dialogs.
QString profile_filter();
