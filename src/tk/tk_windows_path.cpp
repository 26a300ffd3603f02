#include "tk_windows_path.hpp"

#include <vector>

namespace {

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool same_drive(std::string_view a, std::string_view b) {
  return a.size() >= 2 && b.size() >= 2 && (a[0] | 0x20) == (b[0] | 0x20) && a[1] == ':' && b[1] == ':';
}

// "\\server\share": the end of the component starting at `from`.
std::size_t component_end(std::string_view path, std::size_t from) {
  while (from < path.size() && !tk_windows_is_separator(path[from])) ++from;
  return from;
}

// The steps of `rest` (the part after the drive) with "." and ".." applied.
std::vector<std::string_view> steps_of(std::string_view rest) {
  std::vector<std::string_view> steps;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = component_end(rest, start);
    std::string_view step = rest.substr(start, end - start);
    if (step == "..") {
      if (!steps.empty()) steps.pop_back();
    } else if (!step.empty() && step != ".") {
      steps.push_back(step);
    }
    start = end + 1;
  }
  return steps;
}

bool ends_as_folder(std::string_view path) {
  if (path.empty() || tk_windows_is_separator(path.back())) return true;
  std::size_t start = path.size();
  while (start > 0 && !tk_windows_is_separator(path[start - 1])) --start;
  std::string_view last = path.substr(start);
  if (start == 0 && path.size() >= 2 && path[1] == ':') last.remove_prefix(2);
  return last.empty() || last == "." || last == "..";
}

// `path` with its drive and a root separator when it has none.
std::string anchored(std::string_view path, std::string_view current) {
  std::size_t drive = tk_windows_drive_length(path);
  if (tk_windows_is_absolute(path)) return std::string(path);
  std::string_view current_drive = current.substr(0, tk_windows_drive_length(current));
  if (drive == 2) {  // "C:x": the current folder when on that drive, else the drive's root
    if (same_drive(path, current)) return std::string(current) + "\\" + std::string(path.substr(2));
    return std::string(path.substr(0, 2)) + "\\" + std::string(path.substr(2));
  }
  if (!path.empty() && tk_windows_is_separator(path[0])) return std::string(current_drive) + std::string(path);
  return std::string(current) + "\\" + std::string(path);
}

}  // namespace

bool tk_windows_is_separator(char c) { return c == '\\' || c == '/'; }

std::size_t tk_windows_drive_length(std::string_view path) {
  if (path.size() >= 2 && is_letter(path[0]) && path[1] == ':') return 2;
  if (path.size() > 2 && tk_windows_is_separator(path[0]) && tk_windows_is_separator(path[1]) &&
      !tk_windows_is_separator(path[2])) {
    std::size_t server_end = component_end(path, 2);
    if (server_end + 1 >= path.size()) return server_end;  // "\\server" alone: no share
    return component_end(path, server_end + 1);
  }
  return 0;
}

bool tk_windows_is_absolute(std::string_view path) {
  std::size_t drive = tk_windows_drive_length(path);
  if (drive > 2) return true;  // UNC
  return drive == 2 && path.size() > 2 && tk_windows_is_separator(path[2]);
}

std::string tk_windows_full_path(std::string_view path, std::string_view current) {
  std::string absolute = anchored(path, current);
  std::size_t drive = tk_windows_drive_length(absolute);
  std::string full = absolute.substr(0, drive);
  for (char& c : full)
    if (c == '/') c = '\\';
  if (drive == 2) full[0] = static_cast<char>(full[0] & ~0x20);  // drive letters in upper case
  for (std::string_view step : steps_of(std::string_view(absolute).substr(drive)))
    full += "\\" + std::string(step);
  if (ends_as_folder(absolute) || full.size() == drive) full += "\\";
  return full;
}

tk_windows_path_parts tk_windows_split(std::string_view full) {
  tk_windows_path_parts parts;
  std::size_t drive = tk_windows_drive_length(full);
  parts.drive = full.substr(0, drive);
  std::size_t last = full.size();
  while (last > drive && !tk_windows_is_separator(full[last - 1])) --last;
  parts.folder = full.substr(drive, last - drive);
  std::string_view file = full.substr(last);
  std::size_t dot = file.rfind('.');
  if (dot != std::string_view::npos) {
    parts.extension = file.substr(dot);
    file = file.substr(0, dot);
  }
  parts.name = file;
  return parts;
}
