#include "agent_version.hpp"

#include "ora_oci_library.hpp"
#include "tk_format.hpp"
#include "udb_data_file.hpp"

#ifndef VESPER_VERSION
#define VESPER_VERSION "unknown"
#endif

std::string agent_version::text() {
  std::string text = tk_format("vpxagent (Vesper) %s, built %s\n", VESPER_VERSION, __DATE__) +
                     tk_format("Type mappings: %s\n", udb_data_file("ora.map"));
  std::string file, release;
  if (!ora_oci_library::describe_client(file, release))
    return text + "Oracle client: not found (install Oracle Instant Client, or set VESPER_OCI_LIB to its libclntsh.so)\n";
  return text + tk_format("Oracle client: %s, release %s\n", file, release.empty() ? "unknown" : release);
}
