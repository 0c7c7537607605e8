# Helpers shared by every CMakeLists of the project.

# Our own targets build with every warning as an error; third-party code does not.
function(dh_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

# dh_library(name SOURCES... [LIBS...]): a static library of one layer.
function(dh_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  dh_target_defaults(${name})
  if(ARG_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  endif()
endfunction()

# dh_test(name SOURCES... [LIBS...] [HOST_ONLY] [WINDOWS_ONLY] [RUN_SERIAL] [LABELS...])
# A GoogleTest executable. On host, host32 and win64 its cases are registered with CTest
# one by one (win64 ones run through Wine, host32 ones through qemu-i386); the win32
# release build only compiles tests.
function(dh_test name)
  cmake_parse_arguments(ARG "HOST_ONLY;WINDOWS_ONLY;RUN_SERIAL" "" "SOURCES;LIBS;LABELS" ${ARGN})
  if(ARG_HOST_ONLY AND NOT DH_BUILD MATCHES "^host")
    return()
  endif()
  if(ARG_WINDOWS_ONLY AND DH_BUILD MATCHES "^host")
    return()
  endif()
  if(NOT ARG_SOURCES)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  dh_target_defaults(${name})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest gmock gtest_main)
  if(DH_BUILD STREQUAL "win32")
    return()
  endif()
  set(props LABELS "${DH_BUILD};${ARG_LABELS}")
  if(ARG_RUN_SERIAL)
    list(APPEND props RUN_SERIAL TRUE)
  endif()
  if(DH_BUILD STREQUAL "win64" OR DH_BUILD STREQUAL "host32")
    # Discovery itself runs the executable, so it happens under Wine (or the 32-bit
    # emulator) at test time.
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES ${props})
  else()
    gtest_discover_tests(${name} PROPERTIES ${props})
  endif()
endfunction()
include(${CMAKE_CURRENT_LIST_DIR}/DhVendor.cmake)
