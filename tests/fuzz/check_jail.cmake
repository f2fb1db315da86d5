cmake_minimum_required(VERSION 3.25)
# Fails when the jailed core still calls a libc function that takes a host
# path past the jail (see path_jail.cpp), or uses std::filesystem, whose
# calls happen inside the C++ library where no renaming reaches.
execute_process(COMMAND ${NM} -u --format=posix ${LIBRARY}
  OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(found "")
foreach(line ${lines})
  string(REGEX MATCH "^[^ ]+" symbol "${line}")
  string(REGEX REPLACE "@.*$" "" symbol "${symbol}")
  if(symbol IN_LIST UNJAILED OR symbol MATCHES "filesystem")
    list(APPEND found ${symbol})
  endif()
endforeach()
if(found)
  list(REMOVE_DUPLICATES found)
  message(FATAL_ERROR "The core calls host-path functions the fuzz jail does not cover: ${found}\n"
                      "Add them to JAILED_CALLS in tests/fuzz/CMakeLists.txt and path_jail.cpp.")
endif()
