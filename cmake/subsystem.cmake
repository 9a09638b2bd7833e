# A subsystem folder: its portable sources (core/*.cpp, no <windows.h>) go to vtxcore and are
# built and unit-tested natively too; the rest of its .cpp files are Win32 code and go to vtxwin.
function(vtx_subsystem_sources)
  file(GLOB core_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/core/*.cpp)
  if(core_sources)
    target_sources(vtxcore PRIVATE ${core_sources})
  endif()
  if(WIN32)
    file(GLOB win_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(win_sources)
      target_sources(vtxwin PRIVATE ${win_sources})
    endif()
  endif()
endfunction()
