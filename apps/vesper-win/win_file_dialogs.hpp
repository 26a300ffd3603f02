// The file and folder pickers of the wizard: a profile to load or to save
// ("Select Profile File", filtered on the profiles' extension) and the DBF
// folder. Each gives the chosen path as UTF-8, empty when the user cancelled.
#pragma once

#include <windows.h>

#include <string>

class win_file_dialogs {
 public:
  static std::string open_profile(HWND owner);
  static std::string save_profile(HWND owner);
  static std::string folder(HWND owner, const char* title);
};
