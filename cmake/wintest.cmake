# Fixtures shared by every test that runs under Wine:
#   wine_prefix  the headless prefix exists (made once, shared by the win32 and win64 builds);
#   standin      the stand-in driver's service is installed in it with an installation folder.
add_test(NAME wine_prefix_setup
         COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-prefix.sh ${VTX_WINEPREFIX})
set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300)

# The stand-in driver's service, installed and running with the installation folder below. A test
# that stops the service starts it again before it ends. The driver file is addressed through
# drive Z:, which Wine maps to the Unix root.
if(TARGET vtxinstall)
  set(VTX_TEST_INSTALL_DIR "C:\\VeltrixTest\\App")
  string(REPLACE "/" "\\" vtx_driver_dos_path "Z:${VTX_DRIVER_FILE}")
  add_test(NAME standin_setup COMMAND vtxinstall "${vtx_driver_dos_path}" "${VTX_TEST_INSTALL_DIR}")
  set_tests_properties(standin_setup PROPERTIES FIXTURES_SETUP standin
                                                FIXTURES_REQUIRED wine_prefix TIMEOUT 120)
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
  # The tests of the standin fixture share its one service, and some stop or delete it.
  if("standin" IN_LIST T_FIXTURES)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK veltrix_service)
  endif()
endfunction()
