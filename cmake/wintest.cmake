# Fixtures shared by every test that runs under Wine:
#   wine_prefix  the headless prefix exists (made once, shared by the win32 and win64 builds);
#   standin      the stand-in driver's service is installed in it with an installation folder.
# Every test that runs Wine goes through wine-run (or e2e-run), which exits with this code, shown
# by CTest as skipped, where this build's programs cannot run; vtx_wine_tests() marks them.
set(VTX_SKIP_CODE 77)
function(vtx_wine_tests)
  set_tests_properties(${ARGN} PROPERTIES SKIP_RETURN_CODE ${VTX_SKIP_CODE})
endfunction()

# Tests run in parallel where they share no prefix: those in the shared prefix one at a time
# (its one wineserver, registry and C:), and the stand-in driver's service held by its users;
# the end-to-end and setup tests, each in a prefix of its own, and the checks without Wine run
# beside them. vtx_shared_prefix_tests() takes the locks of tests made in the same folder.
function(vtx_shared_prefix_tests)
  foreach(test ${ARGN})
    get_test_property(${test} FIXTURES_REQUIRED fixtures)
    set(locks shared_wineprefix)
    if(test STREQUAL "standin_setup" OR "standin" IN_LIST fixtures)
      list(APPEND locks veltrix_service)
    endif()
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK "${locks}")
  endforeach()
endfunction()

# Which loader cmake/wine.sh picks, and that it runs: on this machine, forced to the 64-bit
# path, and with a 32-bit loader that cannot start.
add_test(NAME wine_loader COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-loader-check.sh)
set_tests_properties(wine_loader PROPERTIES TIMEOUT 60)

add_test(NAME wine_prefix_setup
         COMMAND ${CMAKE_BINARY_DIR}/wine-run --command
                 ${CMAKE_SOURCE_DIR}/cmake/wine-prefix.sh ${VTX_WINEPREFIX})
set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300)
vtx_wine_tests(wine_prefix_setup)
vtx_shared_prefix_tests(wine_prefix_setup)

# The stand-in driver's service, installed and running with the installation folder below. A test
# that stops the service starts it again before it ends. The driver file is addressed through
# drive Z:, which Wine maps to the Unix root.
if(TARGET vtxinstall)
  set(VTX_TEST_INSTALL_DIR "C:\\VeltrixTest\\App")
  string(REPLACE "/" "\\" vtx_driver_dos_path "Z:${VTX_DRIVER_FILE}")
  add_test(NAME standin_setup COMMAND vtxinstall "${vtx_driver_dos_path}" "${VTX_TEST_INSTALL_DIR}")
  set_tests_properties(standin_setup PROPERTIES FIXTURES_SETUP standin
                                                FIXTURES_REQUIRED wine_prefix TIMEOUT 120)
  vtx_wine_tests(standin_setup)
  vtx_shared_prefix_tests(standin_setup)
endif()

# vtx_win_test(NAME name SOURCES ... [LIBS ...] [FIXTURES ...] [TIMEOUT s])
# One executable and one CTest test: starting a Wine process costs about a second, so the
# cases of a file run in one process.
function(vtx_win_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;FIXTURES;RESOURCES" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES} ${T_RESOURCES})
  target_link_libraries(${T_NAME} PRIVATE vtxtestsupport ${T_LIBS} GTest::gtest GTest::gmock)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests/win ${CMAKE_CURRENT_SOURCE_DIR})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED "wine_prefix;${T_FIXTURES}"
                                            TIMEOUT ${T_TIMEOUT})
  vtx_wine_tests(${T_NAME})
  # The tests of the standin fixture share its one service, and some stop or delete it.
  vtx_shared_prefix_tests(${T_NAME})
endfunction()
