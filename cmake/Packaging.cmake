# Installation extras and the Debian package (cpack -G DEB).
install(FILES ${PROJECT_SOURCE_DIR}/tools/tarn/completion.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME tarn)

set(CPACK_PACKAGE_NAME tarn)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the TARN developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "version control for single files, shared by a small team")
set(CPACK_PACKAGE_DESCRIPTION
    "TARN keeps the history of single files: one logfile per file in a\n logfile directory a team shares, with locks, labels and branches.\n The tarn command runs every operation on one file or many.")
set(CPACK_PACKAGE_CONTACT "TARN developers <tarn@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
