# Installation layout and the Debian package (cpack -G DEB, see scripts/package): both executables, the menu
# entry with its icon, AppStream metadata, manual pages, bash completion, the example repositories and the
# Debian documentation files.
include(GNUInstallDirs)
# cpack installs what is built; scripts/package builds only the targets the package holds, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(QVC_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(QVC_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
set(QVC_MAINTAINER "qvConvertFiles developers <qvconvertfiles@users.noreply.invalid>")
set(QVC_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/qvconvertfiles) # named after the package, not the project

install(TARGETS qvconvert qvConvertFiles RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${QVC_PACKAGING_DIR}/qvconvertfiles.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/ui/artwork/icon-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME qvconvertfiles.png)
endforeach()
install(FILES ${QVC_PACKAGING_DIR}/qvconvert.bash-completion
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME qvconvert)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/qvconvertfiles/examples)
install(FILES ${QVC_PACKAGING_DIR}/copyright DESTINATION ${QVC_DOC_DIR})

# Files made at build time: the version filled in, manual pages and changelog compressed as Debian wants them.
configure_file(${QVC_PACKAGING_DIR}/qvconvertfiles.metainfo.xml ${QVC_PACKAGING_OUT}/qvconvertfiles.metainfo.xml @ONLY)
install(FILES ${QVC_PACKAGING_OUT}/qvconvertfiles.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
  RENAME invalid.noreply.users.qvconvertfiles.metainfo.xml) # named after the component id
find_program(QVC_GZIP gzip REQUIRED)
set(compressed)
foreach(page qvconvert.1 qvConvertFiles.1)
  configure_file(${QVC_PACKAGING_DIR}/${page} ${QVC_PACKAGING_OUT}/${page} @ONLY)
  add_custom_command(OUTPUT ${QVC_PACKAGING_OUT}/${page}.gz
    COMMAND ${QVC_GZIP} -9nc ${QVC_PACKAGING_OUT}/${page} > ${QVC_PACKAGING_OUT}/${page}.gz
    DEPENDS ${QVC_PACKAGING_DIR}/${page} VERBATIM)
  list(APPEND compressed ${QVC_PACKAGING_OUT}/${page}.gz)
  install(FILES ${QVC_PACKAGING_OUT}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# The changelog is the release history, written by hand: its newest entry must name the project's VERSION.
file(STRINGS ${QVC_PACKAGING_DIR}/changelog newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^qvconvertfiles \\(([^)]*)\\)" OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog: the newest entry must be version ${PROJECT_VERSION}: ${newest}")
endif()
add_custom_command(OUTPUT ${QVC_PACKAGING_OUT}/changelog.gz
  COMMAND ${QVC_GZIP} -9nc ${QVC_PACKAGING_DIR}/changelog > ${QVC_PACKAGING_OUT}/changelog.gz
  DEPENDS ${QVC_PACKAGING_DIR}/changelog VERBATIM)
list(APPEND compressed ${QVC_PACKAGING_OUT}/changelog.gz)
install(FILES ${QVC_PACKAGING_OUT}/changelog.gz DESTINATION ${QVC_DOC_DIR})
add_custom_target(qvc_package_files ALL DEPENDS ${compressed})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qvconvertfiles)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QVC_MAINTAINER})
set(CPACK_PACKAGE_VENDOR "qvConvertFiles developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert Delphi and Kylix source files, in a window or a terminal")
set(CPACK_PACKAGE_DESCRIPTION "qvConvertFiles carries source files between Delphi projects and Kylix
projects. It gathers the files of a project (a folder search with file masks,
an open dialog or files dropped on its window), applies a list of whole-word,
case-insensitive find and replace pairs kept in .dat repository files, turns
binary form files (.dfm, .xfm) into their text form, renames form files,
backs up, simulates, and shows and reports what it did. The window speaks
Brazilian Portuguese.

The package also holds qvconvert, the same conversion from a terminal with
JSON output and reports, and example repositories.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QVC_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
