# cmake -DZIP=<package> -DFILES=<file;file> -DWORK_DIR=<scratch folder> -P check_zip.cmake
# Fails unless the package holds exactly the given files, flat, each with the same bytes as the
# file built beside it.
get_filename_component(ZIP "${ZIP}" ABSOLUTE)
if(NOT EXISTS "${ZIP}")
  message(FATAL_ERROR "${ZIP} does not exist")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${ZIP}" WORKING_DIRECTORY "${WORK_DIR}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${ZIP} cannot be unpacked")
endif()

file(GLOB_RECURSE unpacked RELATIVE "${WORK_DIR}" LIST_DIRECTORIES true "${WORK_DIR}/*")
list(SORT unpacked)
set(expected)
foreach(file IN LISTS FILES)
  get_filename_component(name "${file}" NAME)
  list(APPEND expected "${name}")
endforeach()
list(SORT expected)
if(NOT unpacked STREQUAL expected)
  message(FATAL_ERROR "${ZIP} holds [${unpacked}], expected [${expected}]")
endif()

foreach(file IN LISTS FILES)
  get_filename_component(name "${file}" NAME)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK_DIR}/${name}" "${file}"
                  RESULT_VARIABLE different)
  if(different)
    message(FATAL_ERROR "${name} in ${ZIP} differs from ${file}")
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")
message(STATUS "${ZIP}: ${unpacked}")
