# Makes the Debian package of the build into an empty folder, for the
# package tests: cmake -DCPACK=<cpack> -DCONFIG=<CPackConfig.cmake>
# -DOUT=<folder> -P build_package.cmake
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${CPACK} -G DEB --config ${CONFIG} -B ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cpack failed (${result})")
endif()
