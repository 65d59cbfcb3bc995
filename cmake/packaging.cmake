# The licence, and Debian packages built by CPack (`cpack -G DEB` in a build directory configured
# with -DCMAKE_INSTALL_PREFIX=/usr, so that the library goes to the multiarch directory):
#   liborbmath<major>  the shared object (component "runtime"), with shlibs for dependents;
#   liborbmath-dev     headers, CMake package, orbmath.pc and the liborbmath.so link
#                      (component "development"), depending on exactly the same liborbmath<major>.

set(ORBMATH_PACKAGE_MAINTAINER "orbmath developers <orbmath@localhost>"
    CACHE STRING "Maintainer of the Debian packages (name <address>)")

# `cmake --install` puts the licence under share/doc/orbmath; each package carries Debian's
# copyright file instead, which names the licence and refers to the copy every Debian system
# has (rules outside the default install: only the packages and `--component` get them).
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/copyright.in ${CMAKE_CURRENT_BINARY_DIR}/copyright @ONLY)
set(ORBMATH_RUNTIME_PACKAGE liborbmath${PROJECT_VERSION_MAJOR})
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT license)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${ORBMATH_RUNTIME_PACKAGE}
        COMPONENT runtime EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/liborbmath-dev
        COMPONENT development EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orbmath)
set(CPACK_PACKAGE_VENDOR "orbmath developers")
set(CPACK_PACKAGE_CONTACT "${ORBMATH_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL runtime development) # not "license": the packages have their copyright
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # <name>_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# dpkg-shlibdeps finds what the shared object needs (libc6, libstdc++6, libgcc-s1); the shlibs
# file gives packages built against this one "liborbmath0 (>= <this version>)", since they may
# use symbols this version added.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# dpkg runs ldconfig once after installing or removing packages that ship shared objects.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)

# Both descriptions open with the project's description as their summary line (CPack adds it).
set(ORBMATH_PACKAGE_ABOUT
  "orbmath is a C++20 library of 2D geometry and numerical mathematics for
machine-vision programs: vectors, matrices, affine and rigid transforms, shared
transform objects, angles and table trigonometry, ranges, statistics, a
reproducible random generator and a dense N x M matrix class, with exact and
reproducible results. Licence: ${ORBMATH_LICENSE}.
")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${ORBMATH_RUNTIME_PACKAGE})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "${ORBMATH_PACKAGE_ABOUT}
This package holds the shared library.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME liborbmath-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${ORBMATH_RUNTIME_PACKAGE} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "${ORBMATH_PACKAGE_ABOUT}
This package holds the headers, the CMake package (find_package(orbmath))
and orbmath.pc for pkg-config.")
include(CPack)
