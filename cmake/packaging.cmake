# The Debian package of the programs, their manual pages and the shipped
# data: `cpack -G DEB` in a build directory. Configure that build with
# -DCMAKE_INSTALL_PREFIX=/usr: the package installs under /usr, and paths
# compiled into the programs must be the installed ones.
# tests/package/check-deb.sh makes the package and checks it.
set(CPACK_GENERATOR DEB)
# The description has quotes: written to CPack's configuration as they are.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME imset-check)
set(CPACK_PACKAGE_VENDOR "the imset-check developers")
# A placeholder until the project has a contact address.
set(CPACK_PACKAGE_CONTACT "imset-check developers <imset-check@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "search supermodular functions for counter examples to imset sign patterns")
set(CPACK_PACKAGE_DESCRIPTION
  "imset-check reads sign patterns over the 80 elementary imsets of the
five-element set {0,1,2,3,4} (\"+\" asks for a zero inner product, \"-\" for
a nonzero one) and a list of set functions, and reports every pattern that a
renaming of one of the functions satisfies: a counter example, given with
the function's values and its 80 inner products.

The package also ships an example and the 1,319 types of extreme rays of
the cone of supermodular functions on five elements, the list the checker
is meant to search.")
if(TARGET imset-query)
  string(APPEND CPACK_PACKAGE_DESCRIPTION
    "\n\nimset-query asks the same questions by statement name (+0,1|2 -0,1) and
answers them completely: whether a structural model exists, which
statements are implied, a witness, and the first extreme ray that
realises the question.")
endif()
if(TARGET imset_python)
  string(APPEND CPACK_PACKAGE_DESCRIPTION
    "\n\nThe Python module imset asks imset-query's questions by function call.")
  # The module is built for one version of the interpreter.
  math(EXPR imset_python_next_minor "${Python3_VERSION_MINOR} + 1")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}), python3 (<< ${Python3_VERSION_MAJOR}.${imset_python_next_minor})")
endif()
if(TARGET imset-rays)
  string(APPEND CPACK_PACKAGE_DESCRIPTION
    "\n\nimset-rays computes those extreme rays with libnormaliz.")
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# What Debian's packaging helpers would do to the installed files: the
# programs without their .comment section, the manual pages compressed, the
# copyright, the changelog and the lintian overrides added
# (packaging/finish-deb.cmake, run on CPack's staging directory).
configure_file(packaging/changelog.Debian.in ${PROJECT_BINARY_DIR}/packaging/changelog.Debian @ONLY)
set(CPACK_IMSET_CHANGELOG ${PROJECT_BINARY_DIR}/packaging/changelog.Debian)
set(CPACK_IMSET_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(CPACK_IMSET_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/finish-deb.cmake)

include(CPack)
