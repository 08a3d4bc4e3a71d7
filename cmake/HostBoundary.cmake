# orvanel_host_boundary(<target>): the target's C++ sources reach the host
# only through the Win32 API (engine/foundation/host_boundary.h says what is
# refused, and how). For the engine's and the saver's targets.
function(orvanel_host_boundary target)
  set(boundary ${PROJECT_SOURCE_DIR}/engine/foundation/host_boundary)
  target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:-include${boundary}.h>")
  target_include_directories(${target} BEFORE PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${boundary}>")
endfunction()
