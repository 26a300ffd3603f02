// The Oracle client library, loaded once per process: the file named by
// VESPER_OCI_LIB, else the platform's client (libclntsh.so and its versioned
// names, or oci.dll) on the loader's path, then in $ORACLE_HOME/lib (bin on
// Windows). A missing library or entry point raises the level-1 error that
// names each library tried with the loader's answer.
#pragma once

#include <memory>
#include <string>

#include "ora_oci.hpp"
#include "tk_shared_library.hpp"

class ora_oci_library {
 public:
  static const ora_oci_calls& calls();

  static const char* const not_found_message;
  // The first library that loads (null when none does); `tried` collects
  // each name with the loader's answer.
  static std::unique_ptr<tk_shared_library> open_library(std::string& tried);
  // The file of the client library that loads and its release from
  // OCIClientVersion ("19.3.0.0.0"; empty when the library lacks the call).
  // False when no library loads.
  static bool describe_client(std::string& file, std::string& release);
};
