#include <gtest/gtest.h>

#include <string>

#include "tk_shared_library.hpp"

namespace {

// A library every machine of each platform has, and one of its entry points.
struct system_library {
  const char* name;
  const char* entry_point;
};
constexpr system_library system_libraries[] = {{"kernel32.dll", "GetCurrentProcessId"}, {"libc.so.6", "getpid"}};

const system_library& this_platforms_library() {
  for (const system_library& library : system_libraries)
    if (tk_shared_library::is_platform_name(library.name)) return library;
  throw std::logic_error("no system library for this platform");
}

}  // namespace

TEST(TkSharedLibraryTest, LoadsBySearchNameAndFindsEntryPoints) {
  const system_library& system = this_platforms_library();
  tk_shared_library library(system.name);
  ASSERT_TRUE(library.is_loaded()) << library.message();
  EXPECT_EQ(library.message(), "loaded");
  EXPECT_NE(library.symbol(system.entry_point), nullptr);
  EXPECT_EQ(library.symbol("no_such_entry_point_in_any_library"), nullptr);
  // The loader's own path of the file, not the name it was asked for.
  std::string path = library.file_path();
  EXPECT_NE(path, "?");
  EXPECT_NE(path.find(system.name), std::string::npos) << path;
}

TEST(TkSharedLibraryTest, MissingLibraryKeepsTheLoadersReason) {
  tk_shared_library library("vesper_no_such_library.dll");
  EXPECT_FALSE(library.is_loaded());
  EXPECT_FALSE(library.message().empty());
  EXPECT_NE(library.message(), "loaded");
  EXPECT_EQ(library.symbol("anything"), nullptr);
  EXPECT_EQ(library.file_path(), "?");
}

TEST(TkSharedLibraryTest, LoadFirstTakesTheFirstThatLoadsAndListsEveryTry) {
  const system_library& system = this_platforms_library();
  std::string names[] = {"vesper_missing_one", system.name, "vesper_never_tried"};
  std::string tried;
  auto library = tk_load_first(names, 3, tried);
  ASSERT_NE(library, nullptr);
  EXPECT_NE(library->symbol(system.entry_point), nullptr);
  EXPECT_EQ(tried.find("vesper_missing_one ("), 0u) << tried;
  EXPECT_NE(tried.find(std::string(system.name) + " (loaded); "), std::string::npos) << tried;
  EXPECT_EQ(tried.find("vesper_never_tried"), std::string::npos) << tried;
  std::string none_tried;
  EXPECT_EQ(tk_load_first(names, 1, none_tried), nullptr);
}

TEST(TkSharedLibraryTest, PlatformNamesSplitOneListOfCandidates) {
  // Exactly one of the two platforms' client names is this platform's.
  EXPECT_NE(tk_shared_library::is_platform_name("oci.dll"), tk_shared_library::is_platform_name("libclntsh.so"));
  EXPECT_EQ(tk_shared_library::is_platform_name("libclntsh.so.19.1"),
            tk_shared_library::is_platform_name("libclntsh.so"));
  EXPECT_EQ(tk_shared_library::is_platform_name("OCI.DLL"), tk_shared_library::is_platform_name("oci.dll"));
  for (const char* neither : {"libclntsh.sox", "oci.dllx", "oci", "", "x.sonic.1"})
    EXPECT_FALSE(tk_shared_library::is_platform_name(neither)) << neither;
}
