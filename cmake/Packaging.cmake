# The Debian packages (cpack -G DEB): tarn, the command line, and
# tarn-desktop, the desktop front end, from the one build.
set(TARN_CONTACT_ADDRESS maintainers@tarnproject.org)

install(FILES ${PROJECT_SOURCE_DIR}/tools/tarn/completion.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME tarn COMPONENT tarn)

# Each package carries its copyright file and the changelog, compressed as
# the distribution has them (gzip -n: the same bytes on every build).
execute_process(COMMAND date -u -R -d ${TARN_RELEASE_DATE}
                OUTPUT_VARIABLE TARN_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
set(TARN_PACKAGE_DOCS ${PROJECT_BINARY_DIR}/package-docs)
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright ${TARN_PACKAGE_DOCS}/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${TARN_PACKAGE_DOCS}/changelog @ONLY)
add_custom_command(OUTPUT ${TARN_PACKAGE_DOCS}/changelog.gz
                   COMMAND ${TARN_GZIP} -9nfk ${TARN_PACKAGE_DOCS}/changelog
                   DEPENDS ${TARN_PACKAGE_DOCS}/changelog)
add_custom_target(tarn_package_docs ALL DEPENDS ${TARN_PACKAGE_DOCS}/changelog.gz)
set(TARN_PACKAGES tarn)
if(TARN_FRONTEND)
  list(APPEND TARN_PACKAGES desktop)
endif()
foreach(component ${TARN_PACKAGES})
  set(package tarn)
  if(component STREQUAL desktop)
    set(package tarn-desktop)
  endif()
  install(FILES ${TARN_PACKAGE_DOCS}/copyright ${TARN_PACKAGE_DOCS}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_PACKAGE_NAME tarn)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The TARN developers")
set(CPACK_PACKAGE_CONTACT "The TARN developers <${TARN_CONTACT_ADDRESS}>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${TARN_PACKAGES})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION vcs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs need, found by dpkg-shlibdeps in the binaries
# themselves, so that no dependency is forgotten or left over.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_TARN_PACKAGE_NAME tarn)
set(CPACK_DEBIAN_TARN_PACKAGE_RECOMMENDS bash-completion)
set(CPACK_COMPONENT_TARN_DESCRIPTION
    "version control for single files, shared by a small team\nTARN keeps the history of single files: one logfile per file in a\nlogfile directory a team shares, with locks, labels and branches.\nThe tarn command gets, checks out, checks in, locks, labels and\ncompares files, one or many at a time, and reports their history\nand state.")

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME tarn-desktop)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "tarn (= ${PROJECT_VERSION})")
# Its plugins draw the program's icon, an SVG drawing.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_RECOMMENDS libqt6svg6)
set(CPACK_COMPONENT_DESKTOP_DESCRIPTION
    "desktop front end of the TARN version control for single files\nDorn shows the files of a directory with the state of their TARN\nlogfiles (the newest revision, who holds a lock) and runs the TARN\ncommands on the files chosen: get, check out, check in, lock, label\nand compare with any revision. It also keeps projects and the users\nwho may log in.")
include(CPack)
