# Settings of the Windows build (cross-built with cmake/mingw-w64.cmake, see
# docs/windows.md): the Win32 API in its wide form, no GStreamer module, no benchmarks.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# The window's resources (its manifest and version) are compiled with windres.
enable_language(RC)
set(AMBREL_GSTREAMER OFF CACHE BOOL "" FORCE)
set(AMBREL_BENCH OFF CACHE BOOL "" FORCE)
# The programs that make embedded data at build time run on the build machine: a native
# build of them (scripts/build-windows.sh makes it) is named here.
set(AMBREL_HOST_TOOLS "" CACHE PATH "Build folder of the natively built build-time tools")
if(CMAKE_CROSSCOMPILING AND NOT AMBREL_HOST_TOOLS)
  message(FATAL_ERROR "A cross build needs AMBREL_HOST_TOOLS (see scripts/build-windows.sh)")
endif()
# What the Windows pieces link: DirectShow's class and interface ids, COM, version
# resources.
set(AMBREL_WIN32_LIBS strmiids quartz ole32 oleaut32 uuid version)
# The build machine's header-only libraries (the command-line parser, the JSON library)
# serve the cross build too: only their own folders are put on the include path, through
# links, never /usr/include itself (it holds the host's C library headers).
set(AMBREL_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
foreach(library CLI nlohmann)
  if(EXISTS /usr/include/${library} AND NOT EXISTS ${AMBREL_HOST_HEADERS}/${library})
    file(MAKE_DIRECTORY ${AMBREL_HOST_HEADERS})
    file(CREATE_LINK /usr/include/${library} ${AMBREL_HOST_HEADERS}/${library} SYMBOLIC)
  endif()
endforeach()
include_directories(SYSTEM ${AMBREL_HOST_HEADERS})
