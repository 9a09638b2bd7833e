# The release of this build: the zip Veltrix-<version>-win32.zip or -win64.zip with the four
# files of an installation (for those who deploy by their own means), the binaries stripped of
# their symbols, and the setup made from the same files (installer/). Built with everything
# else, so that a build tree always holds the release of its own binaries.
if(NOT WIN32 OR NOT TARGET vtx OR NOT TARGET vtxlib32 OR NOT TARGET vtxctl)
  return()
endif()

find_program(VTX_ZIP zip REQUIRED DOC "zip archiver (Debian package zip)")
if(NOT CMAKE_STRIP)
  message(FATAL_ERROR "no strip for ${VTX_MINGW_TRIPLE} (Debian package binutils-mingw-w64)")
endif()
set(VTX_RELEASE_ZIP ${CMAKE_BINARY_DIR}/Veltrix-${PROJECT_VERSION}-win${VTX_WIN_BITS}.zip)
set(VTX_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
# Where help/ compiles it, beside vtx.exe.
set(VTX_HELP_FILE ${CMAKE_BINARY_DIR}/app/VeltrixHelp.chm)
# What the package holds, as it holds it.
set(VTX_RELEASE_FILES ${VTX_RELEASE_DIR}/vtx.exe ${VTX_RELEASE_DIR}/vtxlib32.dll ${VTX_RELEASE_DIR}/vtxctl.exe
                      ${VTX_RELEASE_DIR}/VeltrixHelp.chm)
add_custom_command(
  OUTPUT ${VTX_RELEASE_ZIP} ${VTX_RELEASE_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VTX_RELEASE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${VTX_HELP_FILE} ${VTX_RELEASE_DIR}/VeltrixHelp.chm
  COMMAND ${CMAKE_STRIP} --strip-all -o ${VTX_RELEASE_DIR}/vtx.exe $<TARGET_FILE:vtx>
  COMMAND ${CMAKE_STRIP} --strip-all -o ${VTX_RELEASE_DIR}/vtxlib32.dll $<TARGET_FILE:vtxlib32>
  COMMAND ${CMAKE_STRIP} --strip-all -o ${VTX_RELEASE_DIR}/vtxctl.exe $<TARGET_FILE:vtxctl>
  # Made afresh: zip would otherwise keep entries that are no longer in the list.
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VTX_RELEASE_ZIP}
  # Flat (-j), without Unix extra fields (-X).
  COMMAND ${VTX_ZIP} -q -j -X ${VTX_RELEASE_ZIP} ${VTX_RELEASE_FILES}
  DEPENDS vtx vtxlib32 vtxctl vtxhelp ${VTX_HELP_FILE}
  COMMENT "Packing Veltrix-${PROJECT_VERSION}-win${VTX_WIN_BITS}.zip"
  VERBATIM)
add_custom_target(release_zip ALL DEPENDS ${VTX_RELEASE_ZIP})

# The setup, made from the same files.
add_subdirectory(${CMAKE_SOURCE_DIR}/installer ${CMAKE_BINARY_DIR}/installer)
