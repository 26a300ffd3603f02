// A folder to look into for a while. On Windows this was a scoped change of
// the current directory; here it only remembers the folder as an absolute
// path (the current directory is shared by the wizard's worker threads), and
// "changed" says whether that folder can be entered.
#pragma once

#include <string>
#include <vector>

class tk_temp_chdir {
 public:
  tk_temp_chdir() = default;
  virtual ~tk_temp_chdir() = default;
  tk_temp_chdir(const tk_temp_chdir&) = delete;
  tk_temp_chdir& operator=(const tk_temp_chdir&) = delete;

  // An empty path means the executable's folder.
  void initialize(const std::string& path);

  // Empties `list`, then appends the names (without folder) of the entries
  // matching the wide pattern, ignoring case, in a stable order. True with
  // "No more files" after a complete listing; false with "No files found"
  // when nothing matched, or "Couldn't find next file" on another error.
  bool find_files(const std::u16string& pattern, std::vector<std::u16string>& list) const;

  bool changed() const { return changed_; }
  // The absolute folder, ending with "/".
  const std::string& folder() const { return folder_; }

 protected:
  void enter(const std::string& path, const char* failure);

 private:
  bool changed_ = false;
  std::string folder_;
};

class tk_temp_chdir_w : public tk_temp_chdir {
 public:
  void initialize(const std::u16string& path);
};
