# Fixtures shared by every test that runs under Wine, in two test prefixes (see below):
#   wine_prefix, wine_prefix2  the headless prefix exists (made once, shared by the win32 and
#                              win64 builds);
#   standin, standin2          the stand-in driver's service is installed in it with an
#                              installation folder.
# Every test that runs Wine goes through wine-run (or e2e-run), which exits with this code, shown
# by CTest as skipped, where this build's programs cannot run; vtx_wine_tests() marks them.
set(VTX_SKIP_CODE 77)
function(vtx_wine_tests)
  set_tests_properties(${ARGN} PROPERTIES SKIP_RETURN_CODE ${VTX_SKIP_CODE})
endfunction()

# Tests run in parallel where they share no prefix: those in one test prefix one at a time (its
# one wineserver, registry and C:), and its stand-in driver's service held by its users. The
# second prefix takes the longest tests, so that they run beside the rest; the end-to-end and
# setup tests, each in a prefix of its own, and the checks without Wine run beside them too.
# vtx_shared_prefix_tests() takes the locks of the prefix a test's fixtures name.
function(vtx_shared_prefix_tests)
  foreach(test ${ARGN})
    get_test_property(${test} FIXTURES_REQUIRED required)
    get_test_property(${test} FIXTURES_SETUP made)
    set(lane "")
    if("wine_prefix2" IN_LIST required OR "wine_prefix2" IN_LIST made)
      set(lane 2)
    endif()
    set(locks shared_wineprefix${lane})
    if("standin${lane}" IN_LIST required OR "standin${lane}" IN_LIST made)
      list(APPEND locks veltrix_service${lane})
    endif()
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK "${locks}")
    if(lane)
      # wine-run takes the prefix from here.
      set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "VTX_TEST_PREFIX=${VTX_WINEPREFIX2}")
    endif()
  endforeach()
endfunction()

# Which loader cmake/wine.sh picks, and that it runs: on this machine, forced to the 64-bit
# path, and with a 32-bit loader that cannot start.
add_test(NAME wine_loader COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-loader-check.sh)
set_tests_properties(wine_loader PROPERTIES TIMEOUT 60)

# The stand-in driver's service, installed and running with the installation folder below. A test
# that stops the service starts it again before it ends. The driver file is addressed through
# drive Z:, which Wine maps to the Unix root.
set(VTX_TEST_INSTALL_DIR "C:\\VeltrixTest\\App")
string(REPLACE "/" "\\" vtx_driver_dos_path "Z:${VTX_DRIVER_FILE}")
foreach(lane "" 2)
  add_test(NAME wine_prefix_setup${lane}
           COMMAND ${CMAKE_BINARY_DIR}/wine-run --command
                   ${CMAKE_SOURCE_DIR}/cmake/wine-prefix.sh ${VTX_WINEPREFIX${lane}})
  set_tests_properties(wine_prefix_setup${lane} PROPERTIES FIXTURES_SETUP wine_prefix${lane} TIMEOUT 300)
  vtx_wine_tests(wine_prefix_setup${lane})
  vtx_shared_prefix_tests(wine_prefix_setup${lane})
  if(TARGET vtxinstall)
    add_test(NAME standin_setup${lane} COMMAND vtxinstall "${vtx_driver_dos_path}" "${VTX_TEST_INSTALL_DIR}")
    set_tests_properties(standin_setup${lane} PROPERTIES FIXTURES_SETUP standin${lane}
                                                         FIXTURES_REQUIRED wine_prefix${lane} TIMEOUT 120)
    vtx_wine_tests(standin_setup${lane})
    vtx_shared_prefix_tests(standin_setup${lane})
  endif()
endforeach()

# vtx_win_test(NAME name SOURCES ... [LIBS ...] [FIXTURES ...] [TIMEOUT s] [SECOND_PREFIX])
# SECOND_PREFIX runs it in the second test prefix, with that prefix's stand-in service.
# One executable and one CTest test: starting a Wine process costs about a second, so the
# cases of a file run in one process.
function(vtx_win_test)
  cmake_parse_arguments(T "SECOND_PREFIX" "NAME;TIMEOUT" "SOURCES;LIBS;FIXTURES;RESOURCES" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES} ${T_RESOURCES})
  target_link_libraries(${T_NAME} PRIVATE vtxtestsupport ${T_LIBS} GTest::gtest GTest::gmock)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests/win ${CMAKE_CURRENT_SOURCE_DIR})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(fixtures wine_prefix ${T_FIXTURES})
  if(T_SECOND_PREFIX)
    list(TRANSFORM fixtures APPEND 2)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED "${fixtures}"
                                            TIMEOUT ${T_TIMEOUT})
  vtx_wine_tests(${T_NAME})
  # The tests of the standin fixture share its one service, and some stop or delete it.
  vtx_shared_prefix_tests(${T_NAME})
endfunction()
