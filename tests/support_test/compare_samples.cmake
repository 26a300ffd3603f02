# Re-makes the demo folder into OUT with GENERATOR and compares it byte for
# byte with the committed folder COMMITTED (its README.md aside), so the
# generator and the committed files cannot drift apart. EMULATOR, when set,
# runs a cross-built generator (Wine for the Windows build).
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${EMULATOR} ${GENERATOR} ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "make_samples failed: ${status}")
endif()
file(GLOB made LIST_DIRECTORIES false RELATIVE ${OUT} ${OUT}/*)
file(GLOB kept LIST_DIRECTORIES false RELATIVE ${COMMITTED} ${COMMITTED}/*)
list(REMOVE_ITEM kept README.md)
list(SORT made)
list(SORT kept)
if(NOT made STREQUAL kept)
  message(FATAL_ERROR "the generator makes [${made}] but samples/ holds [${kept}]")
endif()
foreach(name IN LISTS made)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/${name} ${COMMITTED}/${name}
                  RESULT_VARIABLE different)
  if(different)
    message(FATAL_ERROR "${name} differs from the committed sample: run make_samples ${COMMITTED}")
  endif()
endforeach()
