# Builds the host-boundary probes of BUILD_DIR: the control must compile, and
# every other case must fail on the boundary itself, not on something else.
#   cmake -DBUILD_DIR=... -DCASES="CONTROL;FOPEN;..." -P expect_compile_errors.cmake
foreach(case IN LISTS CASES)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target host_boundary_${case}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(case STREQUAL "CONTROL")
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "the allowed probe does not compile:\n${output}")
    endif()
  elseif(result EQUAL 0)
    message(FATAL_ERROR "${case}: compiles although it reaches past the Win32 API")
  elseif(NOT output MATCHES "forbidden")
    message(FATAL_ERROR "${case}: fails, but not on the host boundary:\n${output}")
  else()
    message(STATUS "${case}: refused")
  endif()
endforeach()
