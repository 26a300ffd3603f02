# Run by cpack after it made the packages, to mend two faults of its DEB
# generator that Debian's lintian reports; each package is unpacked,
# changed and packed again.
# - The program package: cpack has it call ldconfig after install and
#   removal whenever it holds a library anywhere under /usr/lib, even in a
#   private folder such as /usr/lib/vesper that the loader never searches.
#   The two scripts go, and only when they are exactly cpack's ldconfig
#   calls: anything else in them is an error here.
# - The debug symbols package: cpack lists none of its files in md5sums and
#   gives it no copyright; as Debian's own -dbgsym packages do, its doc
#   folder becomes a link to the program package's.
# Packed with gzip at level 6, as cpack packs: level 9 takes three times as
# long for the debug symbols and saves nothing worth it.
set(ldconfig_postinst "#!/bin/sh\n\nset -e\n\nif [ \"$1\" = \"configure\" ]; then\n\tldconfig\nfi\n")
set(ldconfig_postrm "#!/bin/sh\n\nset -e\n\nif [ \"$1\" = \"remove\" ]; then\n\tldconfig\nfi\n")

function(run_dpkg_deb)
  execute_process(COMMAND dpkg-deb ${ARGN} OUTPUT_QUIET RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb ${ARGN} failed (status ${status})")
  endif()
endfunction()

function(drop_ldconfig_scripts tree package)
  foreach(script postinst postrm)
    if(EXISTS ${tree}/DEBIAN/${script})
      file(READ ${tree}/DEBIAN/${script} text)
      if(NOT text STREQUAL "${ldconfig_${script}}")
        message(FATAL_ERROR "${package}: ${script} is not cpack's ldconfig call:\n${text}")
      endif()
      file(REMOVE ${tree}/DEBIAN/${script})
    endif()
  endforeach()
endfunction()

function(complete_debug_package tree)
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${tree} ${tree}/usr/*)
  list(SORT files)
  set(sums "")
  foreach(file IN LISTS files)
    file(MD5 ${tree}/${file} sum)
    string(APPEND sums "${sum}  ${file}\n")
  endforeach()
  file(WRITE ${tree}/DEBIAN/md5sums "${sums}")
  file(MAKE_DIRECTORY ${tree}/usr/share/doc)
  file(CREATE_LINK ${CPACK_PACKAGE_NAME} ${tree}/usr/share/doc/${CPACK_PACKAGE_NAME}-dbgsym SYMBOLIC)
endfunction()

foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "[.]d?deb$")
    continue()
  endif()
  set(tree ${package}-tree)
  file(REMOVE_RECURSE ${tree})
  run_dpkg_deb(--raw-extract ${package} ${tree})
  if(package MATCHES "-dbgsym_[^/]*[.]ddeb$")
    complete_debug_package(${tree})
  else()
    drop_ldconfig_scripts(${tree} ${package})
  endif()
  run_dpkg_deb(--root-owner-group -Zgzip -z6 --build ${tree} ${package})
  file(REMOVE_RECURSE ${tree})
endforeach()
