# What an installation offers programs that embed Foliant (the CMake package), and the Debian
# package made from an installation (cpack -G DEB).
include(CMakePackageConfigHelpers)

install(EXPORT FoliantTargets
    NAMESPACE Foliant::
    DESTINATION ${FOLIANT_INSTALL_CMAKEDIR}
    COMPONENT Development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/FoliantConfig.cmake.in
    ${PROJECT_BINARY_DIR}/cmake/FoliantConfig.cmake
    INSTALL_DESTINATION ${FOLIANT_INSTALL_CMAKEDIR})
# Versions 0.x promise nothing to each other; from 1.0 on the major version is the contract.
if(PROJECT_VERSION_MAJOR EQUAL 0)
    set(compatibility SameMinorVersion)
else()
    set(compatibility SameMajorVersion)
endif()
write_basic_package_version_file(${PROJECT_BINARY_DIR}/cmake/FoliantConfigVersion.cmake
    COMPATIBILITY ${compatibility})
install(FILES ${PROJECT_BINARY_DIR}/cmake/FoliantConfig.cmake
              ${PROJECT_BINARY_DIR}/cmake/FoliantConfigVersion.cmake
    DESTINATION ${FOLIANT_INSTALL_CMAKEDIR}
    COMPONENT Development)

# The package's own documents, where Debian keeps them.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/foliant)
set(changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${changelog}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
    COMMENT "Compressing the changelog")
add_custom_target(foliant_changelog ALL DEPENDS ${changelog})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${changelog} DESTINATION ${doc_dir})

# cpack -G DEB in the build tree. Installed under /usr, its RUNPATHs are all $ORIGIN-relative
# and its libraries in the multiarch folder when the tree was configured for /usr.
set(CPACK_PACKAGE_NAME foliant)
set(CPACK_PACKAGE_VENDOR "Foliant developers")
set(CPACK_PACKAGE_CONTACT "Foliant developers <foliant@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "report wizard over SQLite databases")
set(CPACK_PACKAGE_DESCRIPTION
"Foliant makes reports over databases with a seven-page wizard: fields,
groups, summaries, group sorting, record selection, style and title. The
reports are saved as .rpt files, previewed in a window and exported to PDF,
PNG, HTML or text.
.
The package holds the foliant program, its help viewer and help in nine
languages, the report engine, and the wizard as a component that other
programs embed, with its C header and a CMake package for find_package.")
set(CPACK_PACKAGE_FILE_NAME "foliant_${PROJECT_VERSION}_amd64")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://foliant.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")
# dpkg-shlibdeps finds the package's own libraries in the staging tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${PROJECT_BINARY_DIR}/_CPack_Packages/Linux/DEB/${CPACK_PACKAGE_FILE_NAME}/usr/${CMAKE_INSTALL_LIBDIR})
# The file triggers that refresh the MIME database, the desktop database and the icon cache
# (and ldconfig, for the two libraries) after the package's files come or go.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
