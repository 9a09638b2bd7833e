# Each subsystem folder is its own library: a portable one for its core/ (no <windows.h>; built
# and unit-tested natively too) and, in the Windows builds, one for its Win32 code. The libraries
# link one way only (ARCHITECTURE.md draws it):
#   app, ctl -> lists, password, driver, audit;  lists -> driver;  audit -> driver core's names;
#   each -> its own core;
#   framework below all.
# Everything includes from the one source root, so the build also reads every source's includes
# and fails when a library includes a folder it does not build on, judged by the include's whole
# folder (a core names driver/core, never driver).

# vtx_library(name MAY_INCLUDE folder... SOURCES file...)
function(vtx_library name)
  cmake_parse_arguments(L "" "" "MAY_INCLUDE;SOURCES" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  vtx_check_includes(${name} ${L_MAY_INCLUDE})
endfunction()

# Fails the build of target when one of its sources includes a header of another folder than
# those named.
function(vtx_check_includes target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  set(files)
  foreach(source IN LISTS sources)
    get_filename_component(source ${source} ABSOLUTE BASE_DIR ${dir})
    list(APPEND files ${source})
  endforeach()
  string(REPLACE ";" "|" file_arg "${files}")
  string(REPLACE ";" "|" folder_arg "${ARGN}")
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.includes-checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DFILES=${file_arg} -DFOLDERS=${folder_arg} -DSTAMP=${stamp}
            -P ${CMAKE_SOURCE_DIR}/cmake/check-includes.cmake
    DEPENDS ${files} ${CMAKE_SOURCE_DIR}/cmake/check-includes.cmake
    COMMENT "Checking the includes of ${target}"
    VERBATIM)
  add_custom_target(${target}_includes DEPENDS ${stamp})
  add_dependencies(${target} ${target}_includes)
endfunction()
