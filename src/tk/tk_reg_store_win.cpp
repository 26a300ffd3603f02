#include <windows.h>

#include <cstring>

#include "tk_logger.hpp"
#include "tk_reg_store.hpp"
#include "tk_win_text.hpp"

namespace {

constexpr const char* registry_root = "HKEY_CURRENT_USER";

// The key's place under HKEY_CURRENT_USER: the store's path names the root
// itself, or a key under it that stands in for the root (which keeps other
// stores, tests among them, off the user's own settings).
std::string key_under_root(const std::string& store_path, const std::string& key) {
  const std::string root = registry_root;
  if (store_path.size() <= root.size() + 1 || store_path.compare(0, root.size(), root) != 0) return key;
  return store_path.substr(root.size() + 1) + "\\" + key;
}

class open_key {
 public:
  open_key(const std::string& key, bool create) {
    std::wstring path = tk_win_wide(key);
    LSTATUS status = create ? ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                KEY_SET_VALUE, nullptr, &key_, nullptr)
                            : ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key_);
    error_ = static_cast<int>(status);
    if (status != ERROR_SUCCESS) key_ = nullptr;
  }
  ~open_key() {
    if (key_) ::RegCloseKey(key_);
  }
  open_key(const open_key&) = delete;
  open_key& operator=(const open_key&) = delete;

  HKEY get() const { return key_; }
  int error() const { return error_; }

 private:
  HKEY key_ = nullptr;
  int error_ = 0;
};

// The value as the registry holds it; other types than REG_DWORD and REG_SZ
// (and REG_EXPAND_SZ, taken as text) read as absent, like a damaged line of
// the settings file.
bool query(HKEY key, const std::string& name, tk_reg_value& value) {
  std::wstring wide_name = tk_win_wide(name);
  DWORD type = 0, size = 0;
  if (::RegQueryValueExW(key, wide_name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  std::string data(size, '\0');
  if (::RegQueryValueExW(key, wide_name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS)
    return false;
  if (type == REG_DWORD && size == 4) {
    value.type = tk_reg_value::reg_dword;
    std::memcpy(&value.dword, data.data(), 4);
    return true;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  value.type = tk_reg_value::reg_sz;
  value.text.assign(size / 2, u'\0');
  std::memcpy(value.text.data(), data.data(), value.text.size() * 2);
  // Stored text need not end in a zero; when it does, the zero is not text.
  value.text.resize(std::char_traits<char16_t>::length(value.text.c_str()));
  return true;
}

int store(HKEY key, const std::string& name, const tk_reg_value& value) {
  std::wstring wide_name = tk_win_wide(name);
  if (value.type == tk_reg_value::reg_dword)
    return static_cast<int>(::RegSetValueExW(key, wide_name.c_str(), 0, REG_DWORD,
                                             reinterpret_cast<const BYTE*>(&value.dword), 4));
  auto bytes = static_cast<DWORD>((value.text.size() + 1) * 2);
  return static_cast<int>(::RegSetValueExW(key, wide_name.c_str(), 0, REG_SZ,
                                           reinterpret_cast<const BYTE*>(value.text.c_str()), bytes));
}

}  // namespace

tk_reg_store::tk_reg_store(std::string path) : path_(std::move(path)) {}

std::string tk_reg_store::default_path() { return registry_root; }

std::string tk_reg_store::home_folder() {
  const wchar_t* profile = ::_wgetenv(L"USERPROFILE");
  return profile ? tk_win_utf8(profile) : std::string();
}

const tk_reg_value* tk_reg_store::find(const std::string& key, const std::string& name) const {
  values& known = keys_[key];
  if (auto held = known.find(name); held != known.end()) return &held->second;
  open_key opened(key_under_root(path_, key), false);
  tk_reg_value value;
  if (!opened.get() || !query(opened.get(), name, value)) return nullptr;
  return &(known[name] = value);
}

void tk_reg_store::set(const std::string& key, const std::string& name, tk_reg_value value) {
  keys_[key][name] = std::move(value);
}

// Writes every value this store holds: those set, and those read (which
// rewrites them as they are).
int tk_reg_store::save() const {
  for (const auto& [key, values] : keys_) {
    if (values.empty()) continue;
    open_key opened(key_under_root(path_, key), true);
    if (!opened.get()) return opened.error();
    for (const auto& [name, value] : values)
      if (int error = store(opened.get(), name, value)) return error;
  }
  return 0;
}
