# The vendor's inputs: the version this setup records and, in src/res, the payload and
# the read-me it carries. The configuration stays compiled in; these cache variables
# only choose it when the build is configured, so a wrong value stops the configure
# step instead of shipping.
# Also run alone (cmake -P, with DH_GENERATED_DIR) by the tests of the version check.
cmake_policy(VERSION 3.20)
set(DH_SETUP_VERSION "1.0.4.8219" CACHE STRING
    "the version this setup records as installed (four dot-separated numbers)")

# The installer compares versions as four numbers: the first three of at most 7 digits,
# the fourth of at most 8, all held in a 31-character field. Anything it would refuse,
# or read as another number than written (letters read as 0), is refused here.
function(dh_check_setup_version version)
  string(LENGTH "${version}" length)
  string(REPLACE "." ";" parts "${version}")
  list(LENGTH parts count)
  set(why "")
  if(length GREATER 31)
    set(why "it is longer than 31 characters")
  elseif(NOT count EQUAL 4)
    set(why "it does not have four dot-separated numbers")
  else()
    set(index 0)
    foreach(part IN LISTS parts)
      math(EXPR index "${index} + 1")
      string(LENGTH "${part}" digits)
      set(limit 7)
      if(index EQUAL 4)
        set(limit 8)
      endif()
      if(NOT part MATCHES "^[0-9]+$")
        set(why "number ${index} (\"${part}\") is not decimal digits")
        break()
      elseif(digits GREATER limit)
        set(why "number ${index} (\"${part}\") has more than ${limit} digits")
        break()
      endif()
    endforeach()
  endif()
  if(why)
    message(FATAL_ERROR "DH_SETUP_VERSION \"${version}\" is refused: ${why}; the installer "
            "compares versions of the form 1.0.4.8219 (at most 7, 7, 7 and 8 digits)")
  endif()
endfunction()
dh_check_setup_version("${DH_SETUP_VERSION}")

# The version resource and the manifest take four numbers of 0 to 65535; a version
# beyond that is still recorded as written, and they show 0.0.0.0.
string(REPLACE "." ";" dh_version_parts "${DH_SETUP_VERSION}")
set(dh_version_numbers)
foreach(part IN LISTS dh_version_parts)
  string(LENGTH "${part}" digits)
  set(number 65536)
  if(digits LESS 6)
    math(EXPR number "${part}")
  endif()
  if(number GREATER 65535)
    set(dh_version_numbers 0 0 0 0)
    break()
  endif()
  list(APPEND dh_version_numbers ${number})
endforeach()
list(JOIN dh_version_numbers "." DH_SETUP_VERSION_DOTTED)
list(JOIN dh_version_numbers "," DH_SETUP_VERSION_NUMBERS)
if(NOT DH_GENERATED_DIR)
  set(DH_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
endif()
file(CONFIGURE OUTPUT ${DH_GENERATED_DIR}/SetupVersion.h CONTENT
"// Written when the build is configured, from DH_SETUP_VERSION.
#pragma once
#define DH_SETUP_VERSION \"@DH_SETUP_VERSION@\"
#define DH_SETUP_VERSION_NUMBERS @DH_SETUP_VERSION_NUMBERS@
" @ONLY)
