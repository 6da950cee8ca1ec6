# The Debian package `corvane`, made with `cpack -G DEB` in a build
# directory. Its dependencies are derived from the binary by dpkg-shlibdeps
# (libnetapi and the libraries it needs with the Samba backend), never
# listed by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "administer the accounts and groups of NT and Active Directory domains")
set(CPACK_PACKAGE_DESCRIPTION
    "The corvane command lists, creates, changes and deletes the user\n\
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
include(CPack)
