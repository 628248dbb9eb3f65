# Installs a build tree into a fresh prefix, configures and builds the
# consumer project against it with find_package(posy), runs the result.
#   cmake -DBUILD_DIR=... -DCONSUMER_DIR=... -DWORK_DIR=... -DEXAMPLE=...
#         -DCONFIG=... -DEXPECT=<regex> -P install_test.cmake
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  WORKING_DIRECTORY ${WORK_DIR})
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(f include/posy/lp/engine.h include/posy/lp/workspace.h include/posy/lu/sparse_lu.h
          include/posy/io/units.h lib/cmake/posy/posyConfig.cmake bin/posy-lp)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_BUILD_TYPE=${CONFIG} -DPOSY_EXAMPLE=${EXAMPLE})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/consumer)
message("${out}")
if(NOT out MATCHES "${EXPECT}")
  message(FATAL_ERROR "consumer output does not match ${EXPECT}")
endif()
