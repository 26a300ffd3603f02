# The Debian package made by `cpack`: the installation under /usr, with the
# files Debian asks of every package in share/doc/vesper (its copyright and,
# as a native package, its changelog) and a manual page per program.

# The changelog's newest entry is the version being built.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog vesper_changelog_head LIMIT_COUNT 1)
if(NOT vesper_changelog_head MATCHES "^vesper \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog begins with '${vesper_changelog_head}': "
                      "give version ${PROJECT_VERSION} an entry first")
endif()
set(vesper_changelog ${CMAKE_BINARY_DIR}/packaging/changelog)
add_custom_command(OUTPUT ${vesper_changelog}.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/changelog ${vesper_changelog}
  COMMAND gzip -9nf ${vesper_changelog}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
  VERBATIM)
add_custom_target(vesper_changelog ALL DEPENDS ${vesper_changelog}.gz)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${vesper_changelog}.gz DESTINATION share/doc/vesper)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vesper)
set(CPACK_PACKAGE_VENDOR "Tolvane")
set(CPACK_PACKAGE_CONTACT "Vesper maintainers <vesper@tolvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copies DBF tables (dBASE, FoxPro) into Oracle")
# One string: lines of at most 80 characters, an empty line between paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"vpxagent converts the DBF tables of a folder (dBASE, FoxBASE, FoxPro, Visual
FoxPro, with their memo files and DOS or Windows code pages) into an Oracle
schema. vesper is its graphical wizard.

An Oracle client (Instant Client) is needed at run time for a real server. The
embedded emulation ociemu (/usr/lib/vesper/libociemu.so) is included for trying
the programs without one.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/ociemu)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb_post_build.cmake)
include(CPack)
