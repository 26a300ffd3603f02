// Cancel on any page: the user is asked before the wizard closes.
#pragma once

class wizard_prompts;

inline constexpr const char* exit_question = "Are you sure you want to exit the wizard?";

// True when the user confirms leaving the wizard (No is the default).
bool confirm_exit(const wizard_prompts& prompts);
