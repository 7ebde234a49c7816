# cmake -DBUILD_DIR=<build> -DWORK_DIR=<scratch> -DJAVA=<java> -DSOURCE_DIR=<tests/install> -P check_install.cmake
# Installs the build into a fresh prefix, moves the prefix (RPATHs must not
# point back into the build), and runs a consumer project against it.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/staged
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(RENAME ${WORK_DIR}/staged ${WORK_DIR}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/consumer -B ${WORK_DIR}/consumer -G Ninja
    -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix -DJAVA_HOME=${JAVA_HOME}
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/consumer OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(STRINGS ${WORK_DIR}/consumer/run.txt runArguments)
list(POP_BACK runArguments library)
if(NOT library MATCHES "^${WORK_DIR}/prefix/")
  message(FATAL_ERROR "the package points at ${library}, outside the installed prefix")
endif()
execute_process(COMMAND ${JAVA_HOME}/bin/java -Xcheck:jni ${runArguments}
  WORKING_DIRECTORY ${WORK_DIR}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out MATCHES "installed stereo_brimlet gave")
  message(FATAL_ERROR "consumer failed (${status}):\n${out}\n${err}")
endif()
message(STATUS "${out}")
