# Build-wide settings. Three kinds of build share one source tree:
#   ORVANE_NATIVE  the portable logic on Linux, with sanitizers
#   ORVANE_WIN32   the 32-bit Windows deliverables (driver, server, 32-bit library)
#   ORVANE_WIN64   the 64-bit Windows library and its tools
set(ORVANE_NATIVE OFF)
set(ORVANE_WIN32 OFF)
set(ORVANE_WIN64 OFF)
if(NOT WIN32)
  set(ORVANE_NATIVE ON)
  set(ORVANE_BITS native)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(ORVANE_WIN32 ON)
  set(ORVANE_BITS 32)
else()
  set(ORVANE_WIN64 ON)
  set(ORVANE_BITS 64)
endif()

set(ORVANE_CACHE_DIR "${CMAKE_SOURCE_DIR}/build/cache" CACHE PATH "Downloaded sources (Sonic)")

if(ORVANE_NATIVE)
  set(ORVANE_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_compile_options(-Wall -Wextra ${ORVANE_SANITIZE})
  add_link_options(${ORVANE_SANITIZE})
else()
  add_compile_options(-Wall -Wextra)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # The MinGW runtime is linked in: the binaries import system DLLs only.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Programs, libraries, stand-ins and tests side by side, as on Windows,
  # so that a test finds o32_tts.dll and friends next to itself.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()

# GoogleTest from Debian's source package, built by every kind of build.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# orvane_test(NAME SOURCES... LIBS... [LOCKS lock...] [TIMEOUT s])
# One GoogleTest program, registered with CTest as one test; under Wine it
# runs through the cross-compiling emulator (tools/wine-test-run). LOCKS names
# machine-wide resources (the pipe, the server mutex, registry keys) that
# tests must not use at the same time.
function(orvane_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LOCKS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  add_test(NAME ${ORVANE_BITS}/${name} COMMAND ${name} ${T_ARGS}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${ORVANE_BITS}/${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LOCKS)
    set_tests_properties(${ORVANE_BITS}/${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
endfunction()

# Where the staged deliverables live (tools/build installs them there).
get_filename_component(ORVANE_DIST_DIR "${CMAKE_BINARY_DIR}/../dist" ABSOLUTE)
if(ORVANE_WIN64)
  set(ORVANE_LIBRARY_DESTINATION x64)
else()
  set(ORVANE_LIBRARY_DESTINATION .)
endif()

# Which folder may use which is the link graph: every target sees the
# headers of its own top folder ("engine/...", "pipe/...") and those of the
# folders whose libraries it links, and no others, so a folder that
# reaches for another it does not link fails to build. Each top folder's
# headers are reached through a folder of their own in the build tree
# that holds only a link to it.
function(orvane_folder_headers folder)
  set(root "${CMAKE_BINARY_DIR}/headers/${folder}")
  if(NOT EXISTS "${root}/${folder}")
    file(MAKE_DIRECTORY "${root}")
    file(CREATE_LINK "${CMAKE_SOURCE_DIR}/${folder}" "${root}/${folder}" SYMBOLIC)
  endif()
  set(directories "${CMAKE_SOURCE_DIR}/${folder}")
  while(directories)
    list(POP_FRONT directories directory)
    get_property(targets DIRECTORY "${directory}" PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
      get_target_property(type ${target} TYPE)
      if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE "${root}")
      elseif(NOT type STREQUAL "UTILITY")
        target_include_directories(${target} PUBLIC "${root}")
      endif()
    endforeach()
    get_property(subdirectories DIRECTORY "${directory}" PROPERTY SUBDIRECTORIES)
    list(APPEND directories ${subdirectories})
  endwhile()
endfunction()
