# Install rules and the Debian package. cmake --install puts in place the program, the engine and
# project-file libraries with their headers, the CMake package (find_package(vorta): vorta::vorta,
# vorta::project), pkg-config files (vorta, vorta-project), the documentation and the example
# analyses; python/ adds the Python package. cpack -G DEB makes of them one Debian package.
include(CMakePackageConfigHelpers)

set(VORTA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vorta)

if(TARGET vorta_cli)
  install(TARGETS vorta_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The engine as a static library: the C++ interface and IVORTA; beside it the CPT file readers
# (vorta::datain, standard library only). The shared library exports IVORTA
# and nothing else, for the desktop front end, which loads vorta.dll: it is installed on Windows
# only (beside a static libvorta.a a libvorta.so would take -lvorta and hide the C++ interface).
install(TARGETS vorta_static vorta_datain EXPORT vortaTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/vorta DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} PATTERN "*.in" EXCLUDE)
install(FILES ${PROJECT_BINARY_DIR}/include/vorta/version.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vorta)
install(EXPORT vortaTargets NAMESPACE vorta:: DESTINATION ${VORTA_CMAKE_DIR})
if(WIN32)
  install(TARGETS vorta_shared RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()

# The library of analysis files (its header, vorta/project.h, is among the engine's).
set(VORTA_PC_FILES vorta)
if(TARGET vorta_project)
  install(TARGETS vorta_project EXPORT vortaProjectTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(EXPORT vortaProjectTargets NAMESPACE vorta:: DESTINATION ${VORTA_CMAKE_DIR})
  list(APPEND VORTA_PC_FILES vorta-project)
  # toml++ is asked of a consumer only when the library was built with it.
  set(VORTA_PROJECT_PC_REQUIRES vorta)
  if(VORTA_TOML_TARGET)
    string(APPEND VORTA_PROJECT_PC_REQUIRES " tomlplusplus")
  endif()
endif()

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/vortaConfig.cmake.in
  ${PROJECT_BINARY_DIR}/vortaConfig.cmake INSTALL_DESTINATION ${VORTA_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/vortaConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/vortaConfig.cmake ${PROJECT_BINARY_DIR}/vortaConfigVersion.cmake
        DESTINATION ${VORTA_CMAKE_DIR})

# pkg-config files with paths relative to their own folder, so that an installed tree can be moved
# (a package unpacked with dpkg -x, cmake --install --prefix).
file(RELATIVE_PATH VORTA_PC_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" VORTA_PC_PREFIX "${VORTA_PC_PREFIX}")
file(RELATIVE_PATH VORTA_PC_INCLUDEDIR ${CMAKE_INSTALL_PREFIX} ${CMAKE_INSTALL_FULL_INCLUDEDIR})
file(RELATIVE_PATH VORTA_PC_LIBDIR ${CMAKE_INSTALL_PREFIX} ${CMAKE_INSTALL_FULL_LIBDIR})
foreach(pc ${VORTA_PC_FILES})
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# The documentation, with docs/ beside the README as the README links it, and the example analyses
# without the outputs of runs made in their folders.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vorta/examples
        REGEX "/examples/[^/]+/(report\\.out|plot\\.plt|project\\.out|project\\.plt|[^/]*\\.html)$" EXCLUDE
        PATTERN __pycache__ EXCLUDE)

# The Debian package. Its dependencies are those of the program and the Python extension as
# dpkg-shlibdeps finds them (libc, libstdc++, toml++), or stated by hand without it, and the
# interpreter the extension was built for. It installs under CMAKE_INSTALL_PREFIX: a system
# package is configured with -DCMAKE_INSTALL_PREFIX=/usr (.ci/package).
set(CPACK_PACKAGE_NAME vorta)
set(CPACK_PACKAGE_VENDOR VORTA)
set(CPACK_PACKAGE_CONTACT "VORTA maintainers <vorta@localhost>" CACHE STRING "Maintainer of the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
"For every penetration of a driven pile, the skin friction, end bearing and ultimate capacity by up
to nine static methods, the soil-plug behaviour of open-ended pipe piles, and the load-settlement
curve of the pile head from t-z and q-w load-transfer curves. The command-line program vorta, the
engine and project-file libraries with their headers, CMake and pkg-config files, the Python
package vorta, the documentation and example analyses.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
find_program(VORTA_DPKG dpkg)
if(VORTA_DPKG)
  set(CPACK_GENERATOR DEB)
else()
  set(CPACK_GENERATOR TGZ)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
find_program(VORTA_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(VORTA_FILE file)
set(deb_depends)
if(VORTA_DPKG_SHLIBDEPS AND VORTA_FILE)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  list(APPEND deb_depends libc6 libgcc-s1 libstdc++6)
  if(TARGET vorta_project AND VORTA_TOML_TARGET)
    list(APPEND deb_depends libtomlplusplus3)
  endif()
  if(TARGET vorta_server)
    list(APPEND deb_depends libcpp-httplib0.11)
  endif()
endif()
if(VORTA_PYTHON_DEB_DEPENDS)
  list(APPEND deb_depends ${VORTA_PYTHON_DEB_DEPENDS})
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS python3-numpy)
endif()
list(JOIN deb_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libtomlplusplus-dev, python3-pandas, python3-matplotlib, python3-distributed")
include(CPack)
