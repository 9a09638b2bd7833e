# The link label and the about box. The label's target in these tests is a program of ours that
# the shell's "open" starts in place of a browser.
add_executable(vtx_link_target WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/link_target.cpp)
vtx_win_test(NAME win_app_hyperlink
             SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/hyperlink_test.cpp
                     ${CMAKE_CURRENT_SOURCE_DIR}/about_dlg_test.cpp
                     ${CMAKE_CURRENT_SOURCE_DIR}/hyperlink_test.rc
                     $<TARGET_OBJECTS:vtxres>
             LIBS vtxwin)
add_dependencies(win_app_hyperlink vtx_link_target)
# Beside the test, where the test looks for it.
set_target_properties(vtx_link_target PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
