# cmake -DWINDRES=<windres> -DBINARY=<vtx.exe> -DVERSION=<a.b.c.d> -DARCH=<x86|amd64>
#       -P check_version.cmake
# The version resource and the manifest read back from the binary, natively (windres decompiles
# a PE file's resources): both carry the project's version, and the manifest the build's machine.
execute_process(COMMAND ${WINDRES} -i ${BINARY} -O rc OUTPUT_VARIABLE rc RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${WINDRES} cannot read the resources of ${BINARY}")
endif()
string(REPLACE "." ", " numbers "${VERSION}")
set(expected
  " FILEVERSION ${numbers}\n"
  " PRODUCTVERSION ${numbers}\n"
  "VALUE \"FileVersion\", \"${numbers}\""
  "VALUE \"ProductVersion\", \"${numbers}\""
  "<assemblyIdentity version=\"\"${VERSION}\"\" processorArchitecture=\"\"${ARCH}\"\" name=\"\"Veltrix.vtx\"\"")
foreach(text IN LISTS expected)
  string(FIND "${rc}" "${text}" at)
  if(at EQUAL -1)
    string(REGEX MATCHALL "[^\n]*(VERSION|Version|assemblyIdentity version)[^\n]*" found "${rc}")
    message(FATAL_ERROR "${BINARY}: no '${text}' among its resources; found: ${found}")
  endif()
endforeach()
message(STATUS "${BINARY}: version ${VERSION}, manifest ${ARCH}")
