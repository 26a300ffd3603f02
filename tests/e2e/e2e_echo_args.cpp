// A child for the process runner's own tests: prints each argument as
// [argument], the variables E2E_ECHO_NAMES names (comma-separated) as
// name=value or "name unset", then its standard input; waits a minute when
// E2E_ECHO_WAIT is set; ends with the status E2E_ECHO_STATUS gives.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

int main(int argc, char** argv) {
  // As the C runtime split the command line: the Microsoft rules on Windows.
  for (int i = 1; i < argc; ++i) std::cout << '[' << argv[i] << "]\n";
  if (const char* names = std::getenv("E2E_ECHO_NAMES")) {
    std::istringstream list(names);
    for (std::string name; std::getline(list, name, ',');) {
      const char* value = std::getenv(name.c_str());
      std::cout << name << (value ? "=" + std::string(value) : std::string(" unset")) << '\n';
    }
  }
  std::cout << std::cin.rdbuf() << std::flush;
  if (std::getenv("E2E_ECHO_WAIT")) std::this_thread::sleep_for(std::chrono::seconds(60));
  const char* status = std::getenv("E2E_ECHO_STATUS");
  return status ? std::atoi(status) : 0;
}
