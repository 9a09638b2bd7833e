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
# The files of an installation, the one list of them: the package, the setup (which installs,
# keeps aside on upgrade and removes these) and the tests of both take it from here. The
# binaries are the targets of their base names.
set(VTX_RELEASE_BINARIES vtx.exe vtxlib32.dll vtxctl.exe)
set(VTX_RELEASE_FILE_NAMES ${VTX_RELEASE_BINARIES} VeltrixHelp.chm)
list(TRANSFORM VTX_RELEASE_FILE_NAMES PREPEND ${VTX_RELEASE_DIR}/ OUTPUT_VARIABLE VTX_RELEASE_FILES)
set(strip)
foreach(binary IN LISTS VTX_RELEASE_BINARIES)
  get_filename_component(target ${binary} NAME_WE)
  list(APPEND strip COMMAND ${CMAKE_STRIP} --strip-all -o ${VTX_RELEASE_DIR}/${binary} $<TARGET_FILE:${target}>)
endforeach()
add_custom_command(
  OUTPUT ${VTX_RELEASE_ZIP} ${VTX_RELEASE_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VTX_RELEASE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${VTX_HELP_FILE} ${VTX_RELEASE_DIR}/VeltrixHelp.chm
  ${strip}
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
