// The profile dialogs' file filter; what a page does with an error raised
// while it works is the model's (wizard_guard.hpp).
#pragma once

#include <QString>

#include "wizard_guard.hpp"

// The file filter of the profile dialogs.
QString profile_filter();
