# Configures, builds and runs tests/embed in folder BUILD_DIR (kept between runs):
#   cmake -DBUILD_DIR=... -DGENERATOR=... -DOPTIONS=<-D options, ;-separated> -P run.cmake
# Each step is a process of its own, as a user's build is. (ctest --build-and-test
# configures inside its own process, and the compiler checks there leave LC_ALL and
# LC_MESSAGES set though empty for the build that follows; ccache counts those,
# so none of the main build's objects could serve this build.)
foreach(var BUILD_DIR GENERATOR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run.cmake needs -D${var}=...")
  endif()
endforeach()

function(step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    list(JOIN ARGN " " line)
    message(FATAL_ERROR "failed (${rc}): ${line}")
  endif()
endfunction()

step(${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR} -B ${BUILD_DIR} -G ${GENERATOR} ${OPTIONS})
step(${CMAKE_COMMAND} --build ${BUILD_DIR})
step(${BUILD_DIR}/embed_racion)
message(STATUS "embed_racion linked racion_core and ran")
