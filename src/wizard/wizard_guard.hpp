// What the wizard does with an error raised while it works (a folder
// listing, a profile, a connection): the error handler reports it, and the
// wizard stays where it was. Any other failure is shown as an error.
#pragma once

#include <functional>
#include <string>

class tk_reporter;
class vesper_profile_io;
class wizard_prompts;

// Runs `work`; a tk_exception goes to `reporter` without stopping anything,
// another exception's text to `prompts`. False when `work` raised.
bool guarded(tk_reporter& reporter, const wizard_prompts& prompts, const std::function<void()>& work);

// The profiles' extension, which the Load and Save dialogs filter on.
inline constexpr const char* profile_extension = "vpx";

// Tells `prompts` that the profile just loaded by `loaded` names a log file
// that cannot be used (`log_file`), when it does: the rest of the profile
// is loaded, and only the log is missing.
void tell_log_file_problem(const wizard_prompts& prompts, const vesper_profile_io& loaded,
                           const std::string& log_file);
