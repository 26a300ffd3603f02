// Starting and waiting for a program with CreateProcessW.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>

#include "e2e_process.hpp"

namespace {

std::wstring wide(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
  return result;
}

std::string narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                      nullptr);
  return result;
}

// One argument as the Microsoft C runtime splits a command line back into
// argv: inside quotes, backslashes count only before a quote, where 2n
// backslashes and a quote stand for n backslashes and a quote ends the
// argument, and 2n+1 of them stand for n backslashes and a literal quote.
std::wstring quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
  std::wstring result = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Before a quote every backslash is doubled, and the quote escaped.
    result.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    result += c;
  }
  // Before the closing quote, too.
  result.append(backslashes * 2, L'\\');
  return result + L"\"";
}

std::wstring command_line(const std::vector<std::string>& argv) {
  std::wstring line;
  for (const std::string& argument : argv) {
    if (!line.empty()) line += L' ';
    line += quoted(wide(argument));
  }
  return line;
}

std::vector<std::string> inherited_environment() {
  std::vector<std::string> result;
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) result.push_back(narrow(entry));
  FreeEnvironmentStringsW(block);
  return result;
}

// CreateProcessW's environment: the entries sorted by name, case ignored,
// each ended by a zero, and a zero after the last.
std::wstring environment_block(std::vector<std::string> entries) {
  std::sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
    return _wcsicmp(wide(a).c_str(), wide(b).c_str()) < 0;
  });
  std::wstring block;
  for (const std::string& entry : entries) {
    block += wide(entry);
    block += L'\0';
  }
  block += L'\0';
  return block;
}

// A handle the child inherits: a file to read, or a new file to write.
HANDLE inheritable_file(const std::filesystem::path& path, bool for_writing) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.wstring().c_str(), for_writing ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     for_writing ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string system_message(DWORD code) {
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = text ? narrow(text) : "error " + std::to_string(code);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  return message;
}

}  // namespace

// The status Linux shows for SIGKILL, so that a test reads one value.
const int e2e_process::killed_status = 137;

void e2e_process::spawn(e2e_child& child, const std::vector<std::string>& argv, const environment& changes,
                        bool with_input) {
  const HANDLE input = with_input ? inheritable_file(child.in_path, false) : inheritable_file("NUL", false);
  const HANDLE output = inheritable_file(child.out_path, true);
  const HANDLE error = inheritable_file(child.err_path, true);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  std::wstring line = command_line(argv);
  std::wstring block = environment_block(e2e_merged_environment(inherited_environment(), changes));
  PROCESS_INFORMATION process{};
  BOOL started = FALSE;
  DWORD start_error = 0;
  // Wine now and then fails a start under load ("Internal error") that
  // succeeds when tried again; a missing or broken program fails at once.
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    if (attempt > 0) Sleep(200);
    started = CreateProcessW(wide(argv.front()).c_str(), line.data(), nullptr, nullptr, TRUE,
                             CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &process);
    start_error = started ? 0 : GetLastError();
    if (start_error == ERROR_FILE_NOT_FOUND || start_error == ERROR_PATH_NOT_FOUND ||
        start_error == ERROR_BAD_EXE_FORMAT || start_error == ERROR_ACCESS_DENIED)
      break;
  }
  for (HANDLE h : {input, output, error})
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  if (!started) {
    child.spawn_error = "cannot start " + argv.front() + ": " + system_message(start_error);
    return;
  }
  CloseHandle(process.hThread);
  child.pid = static_cast<int>(process.dwProcessId);
  child.handle = reinterpret_cast<std::intptr_t>(process.hProcess);
}

void e2e_process::wait(const e2e_child& child, e2e_result& result) {
  const HANDLE process = reinterpret_cast<HANDLE>(child.handle);
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  result.status = static_cast<int>(code);
  PROCESS_MEMORY_COUNTERS memory{};
  if (GetProcessMemoryInfo(process, &memory, sizeof memory))
    result.peak_kilobytes = static_cast<long>(memory.PeakWorkingSetSize / 1024);
  CloseHandle(process);
}

void e2e_process::kill(const e2e_child& child) {
  if (child.handle != 0) TerminateProcess(reinterpret_cast<HANDLE>(child.handle), killed_status);
}

// As process viewers do: the parameters' address from the process's
// environment block, then the command line they point to.
std::string e2e_process::command_line_of(const e2e_child& child) {
  using query_function = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<query_function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  const HANDLE process = reinterpret_cast<HANDLE>(child.handle);
  PROCESS_BASIC_INFORMATION basic{};
  if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return {};
  PEB block{};
  RTL_USER_PROCESS_PARAMETERS parameters{};
  if (!ReadProcessMemory(process, basic.PebBaseAddress, &block, sizeof block, nullptr) ||
      !ReadProcessMemory(process, block.ProcessParameters, &parameters, sizeof parameters, nullptr))
    return {};
  std::wstring text(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
  if (!ReadProcessMemory(process, parameters.CommandLine.Buffer, text.data(), parameters.CommandLine.Length, nullptr))
    return {};
  return narrow(text);
}
