# Where an installation puts things, below its prefix (GNUInstallDirs: FHS and freedesktop).
# Nothing of the build tree is written into the installed files: programs and libraries find
# each other through RUNPATHs relative to their own file ($ORIGIN), and their data from the
# folder they sit in (platform/help/Installation.h).
#
#   bin/                          foliant, foliant-help
#   LIBDIR/                       libreportengine.so.N, libFoliant.so.N (SONAME versions)
#   LIBDIR/foliant/               libFoliantQt.so, the program's private plugin
#   share/foliant/                sample.db, help/Wizards_<code>.chm
#   include/foliant/              the component's C header, the engine's C++ headers
#   LIBDIR/cmake/Foliant/         the CMake package (find_package(Foliant))
#   share/applications, share/mime/packages, share/icons/hicolor, share/man/man1,
#   share/bash-completion/completions
set(FOLIANT_INSTALL_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/foliant)
set(FOLIANT_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/foliant)
set(FOLIANT_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/foliant)
set(FOLIANT_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Foliant)

# RUNPATHs of installed programs and libraries, relative to the file itself.
file(RELATIVE_PATH FOLIANT_BIN_TO_LIB /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
set(FOLIANT_PROGRAM_RPATH "$ORIGIN/${FOLIANT_BIN_TO_LIB}")
set(FOLIANT_LIBRARY_RPATH "$ORIGIN")
set(FOLIANT_PLUGIN_RPATH "$ORIGIN/..")

# A shared library of the product: its SONAME carries the major version, its file the whole one.
function(foliant_versioned_library target)
    set_target_properties(${target} PROPERTIES
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR}
        INSTALL_RPATH "${FOLIANT_LIBRARY_RPATH}")
endfunction()
