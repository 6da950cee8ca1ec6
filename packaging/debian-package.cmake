# The Debian packages, made with `cpack -G DEB` in a build directory, one
# per install component: `corvane` (the command, its Samba module, manual,
# completion and documentation) and, when the Python package is built,
# `python3-corvane`. Their library dependencies are derived from the
# binaries by dpkg-shlibdeps (libnetapi and the libraries it needs with the
# Samba backend), never listed by hand; only Samba's LDAP client, an ldb
# module the backend loads by name, is named.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL corvane)
# Each package's description is whole in its own variable, summary line
# first: a summary common to all would be put before every one of them.
set(CPACK_DEBIAN_CORVANE_PACKAGE_NAME corvane)
set(CPACK_DEBIAN_CORVANE_PACKAGE_DEPENDS samba-dsdb-modules)
set(CPACK_DEBIAN_CORVANE_DESCRIPTION
    "administer the accounts and groups of NT and Active Directory domains\n\
The corvane command lists, creates, changes and deletes the user\n\
accounts and global groups of an NT or Active Directory domain, and\n\
manages group membership, through Samba's libnetapi. It reaches the\n\
Corvane automation classes (NTDomain, NTGroup, NTUser) by member name,\n\
exactly as a script does, and includes a simulated domain controller\n\
for trying it without one.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)

set(CORVANE_PACKAGE_MAINTAINER
    "The Corvane developers <corvane@users.noreply.corvane.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CORVANE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# python3-corvane: the package for the Python it was built against (its
# extension's file name carries that version's ABI), on the corvane package
# of the same build, which brings the Samba module it loads.
if(CORVANE_PYTHON)
  list(APPEND CPACK_COMPONENTS_ALL python)
  set(python_version ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR})
  math(EXPR python_next_minor "${Python3_VERSION_MINOR} + 1")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-corvane)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SOURCE corvane)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
      "corvane (= ${CPACK_DEBIAN_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}), \
python3 (>= ${python_version}), \
python3 (<< ${Python3_VERSION_MAJOR}.${python_next_minor})")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_EXTRA
      ${CMAKE_CURRENT_LIST_DIR}/debian/python3-corvane/postinst
      ${CMAKE_CURRENT_LIST_DIR}/debian/python3-corvane/prerm)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_DEBIAN_PYTHON_DESCRIPTION
      "administer NT and Active Directory domain accounts from Python\n\
The corvane package reaches the Corvane automation classes (NTDomain,\n\
NTGroup, NTUser) from Python 3 two ways: late-bound, exactly as pywin32\n\
presents the COM server on Windows (corvane.Dispatch, and python3 -m\n\
corvane.pywin32 to run such a script unchanged), and through a Pythonic\n\
connection with listings as generators, account facts as records,\n\
changes and bulk import. It talks to a domain controller through the\n\
Samba backend of the corvane package.")
endif()
include(CPack)
