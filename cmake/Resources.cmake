# Resource scripts are compiled by windres. On Windows the object is linked
# as usual; elsewhere the .res file is linked into the program as data and
# read by platform/kernel.
if(WIN32)
  set(ORVANEL_WINDRES ${CMAKE_RC_COMPILER})
else()
  find_program(ORVANEL_WINDRES NAMES x86_64-w64-mingw32-windres i686-w64-mingw32-windres windres)
  if(NOT ORVANEL_WINDRES)
    message(FATAL_ERROR "windres not found: install the Debian package binutils-mingw-w64-x86-64 "
                        "(scripts/install-deps does this)")
  endif()
endif()

# orvanel_add_resources(<target> <rc file> [DEPENDS files...])
# Links the compiled resources of <rc file> into <target>.
function(orvanel_add_resources target rcfile)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  if(WIN32)
    target_sources(${target} PRIVATE ${rcfile})
    if(ARG_DEPENDS)
      set_source_files_properties(${rcfile} PROPERTIES OBJECT_DEPENDS "${ARG_DEPENDS}")
    endif()
    return()
  endif()
  get_filename_component(rcname ${rcfile} NAME_WE)
  get_filename_component(rcdir ${rcfile} DIRECTORY)
  set(resfile ${CMAKE_CURRENT_BINARY_DIR}/${target}_${rcname}.res)
  set(asmfile ${CMAKE_CURRENT_BINARY_DIR}/${target}_${rcname}_res.S)
  add_custom_command(
    OUTPUT ${resfile}
    COMMAND ${ORVANEL_WINDRES} -O res -I ${rcdir} -i ${rcfile} -o ${resfile}
    DEPENDS ${rcfile} ${ARG_DEPENDS}
    COMMENT "Compiling resources ${rcname}.rc"
    VERBATIM)
  file(WRITE ${asmfile}
    "    .section .rodata\n"
    "    .balign 16\n"
    "    .globl win32_resource_data\n"
    "win32_resource_data:\n"
    "    .incbin \"${resfile}\"\n"
    "    .globl win32_resource_data_end\n"
    "win32_resource_data_end:\n"
    "    .byte 0\n"
    "    .section .note.GNU-stack,\"\",@progbits\n")
  set_source_files_properties(${asmfile} PROPERTIES OBJECT_DEPENDS ${resfile})
  target_sources(${target} PRIVATE ${asmfile})
endfunction()
