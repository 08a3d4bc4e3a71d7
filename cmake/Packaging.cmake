# What a Linux install holds besides the saver itself (saver/CMakeLists.txt
# puts it where xscreensaver looks for hacks): mtool, the manual pages, the
# documentation with its copyright and changelog; and the Debian package
# made of all of it by CPack (scripts/package). They are optional, so that
# installing a tree where only the saver was built installs the saver.
if(WIN32)
  return()
endif()

include(GNUInstallDirs)
set(ORVANEL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/orvanel-saver)

if(TARGET mtool)
  install(TARGETS mtool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} OPTIONAL)
endif()

# Debian keeps manual pages, changelogs and long documents gzip-compressed
# (-n: no name or time stamp, so the same sources give the same bytes).
set(packaging_out ${PROJECT_BINARY_DIR}/packaging)
function(orvanel_gzip source target)
  add_custom_command(OUTPUT ${packaging_out}/${target}
                     COMMAND gzip -9nc ${source} > ${packaging_out}/${target}
                     DEPENDS ${source} VERBATIM)
  set(packaging_files ${packaging_files} ${packaging_out}/${target} PARENT_SCOPE)
endfunction()

set(packaging_files)
file(MAKE_DIRECTORY ${packaging_out})
orvanel_gzip(${PROJECT_SOURCE_DIR}/packaging/debian/changelog changelog.gz)
orvanel_gzip(${PROJECT_SOURCE_DIR}/README.md README.md.gz)
orvanel_gzip(${PROJECT_SOURCE_DIR}/docs/behaviour.md behaviour.md.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${packaging_out}/changelog.gz
              ${packaging_out}/README.md.gz ${packaging_out}/behaviour.md.gz
        DESTINATION ${ORVANEL_DOC_DIR} OPTIONAL)

find_program(SCDOC scdoc)
if(SCDOC)
  foreach(page orvanel-saver.6 mtool.1)
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.scd)
    add_custom_command(OUTPUT ${packaging_out}/${page}.gz
                       COMMAND ${SCDOC} < ${source} | gzip -9nc > ${packaging_out}/${page}.gz
                       DEPENDS ${source} VERBATIM)
    list(APPEND packaging_files ${packaging_out}/${page}.gz)
  endforeach()
  install(FILES ${packaging_out}/orvanel-saver.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 OPTIONAL)
  install(FILES ${packaging_out}/mtool.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 OPTIONAL)
else()
  message(STATUS "scdoc not found: no manual pages (scripts/install-deps --package)")
endif()
add_custom_target(packaging_files ALL DEPENDS ${packaging_files})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvanel-saver)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Orvanel Saver maintainers <maintainers@orvanel-saver.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen saver: a balloon and airships float across a black screen")
# CPack puts the summary first and indents every line of this text.
set(CPACK_PACKAGE_DESCRIPTION "Orvanel Saver IV is a screen saver in the style of the mid-1990s: pictures
of a hot-air balloon and an airship float in straight lines across a black
stage and bounce off its edges. It runs as an xscreensaver hack, whose
settings dialog sets its speed and the number of pictures, or on its own
with a settings dialog that shows a live preview.

Also included is mtool, which inspects and decodes FLIC, AVI, BMP, PCX and
DCX pictures and WAV sounds through the saver's own multimedia engine.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries are found by dpkg-shlibdeps; the dialogs' font is read as a file.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2 | fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
