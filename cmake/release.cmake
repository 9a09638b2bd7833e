# The release package of the 32-bit build: Veltrix-<version>-win32.zip with the three files that
# the installer (outside this project) puts in the installation folder. Built with everything
# else, so that a win32 build tree always holds the package of its own binaries.
if(NOT WIN32 OR NOT CMAKE_SIZEOF_VOID_P EQUAL 4 OR NOT TARGET vtx OR NOT TARGET vtxlib32)
  return()
endif()

find_program(VTX_ZIP zip REQUIRED DOC "zip archiver (Debian package zip)")
set(VTX_RELEASE_ZIP ${CMAKE_BINARY_DIR}/Veltrix-${PROJECT_VERSION}-win32.zip)
# Where help/ compiles it, beside vtx.exe.
set(VTX_HELP_FILE ${CMAKE_BINARY_DIR}/app/VeltrixHelp.chm)
set(VTX_RELEASE_FILES $<TARGET_FILE:vtx> $<TARGET_FILE:vtxlib32> ${VTX_HELP_FILE})
add_custom_command(
  OUTPUT ${VTX_RELEASE_ZIP}
  # Made afresh: zip would otherwise keep entries that are no longer in the list.
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VTX_RELEASE_ZIP}
  # Flat (-j), without Unix extra fields (-X).
  COMMAND ${VTX_ZIP} -q -j -X ${VTX_RELEASE_ZIP} ${VTX_RELEASE_FILES}
  DEPENDS vtx vtxlib32 vtxhelp ${VTX_HELP_FILE}
  COMMENT "Packing Veltrix-${PROJECT_VERSION}-win32.zip"
  VERBATIM)
add_custom_target(release_zip ALL DEPENDS ${VTX_RELEASE_ZIP})
