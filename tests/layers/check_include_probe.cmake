# Builds one include probe and checks the outcome: EXPECT "builds", or "refused", which means
# the compiler did not find HEADER at all (any other failure says nothing about the layers).
#   cmake -DBUILD_DIR=... -DTARGET=... -DHEADER=... -DEXPECT=builds|refused -P this file
execute_process(
  COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${TARGET}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(EXPECT STREQUAL "builds")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${HEADER} should be visible here, but the probe did not build:\n${output}")
  endif()
  message(STATUS "${HEADER} is visible, as it should be")
  return()
endif()
if(result EQUAL 0)
  message(FATAL_ERROR "${HEADER} was included against the direction of the layers and it built")
endif()
string(FIND "${output}" "${HEADER}" named)
string(REGEX MATCH "No such file or directory|file not found" missing "${output}")
if(named EQUAL -1 OR NOT missing)
  message(FATAL_ERROR "The probe failed, but not because ${HEADER} was out of reach:\n${output}")
endif()
message(STATUS "${HEADER} is out of reach, as it should be")
