# Debian packages, built with `cpack` in the build tree: one package per program, since the two
# share nothing and each pulls in a large toolkit of its own (Qt for installwarden, OpenCV for
# pagereader). The host library's run-time part ships with installwarden, which it drives and
# whose exchange files it writes, so both always come in the same version; its headers, CMake
# package and pkg-config file go in installwarden-dev, needed only to build an application.
# Run-time dependencies are computed from the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "installwarden and pagereader maintainers <maintainers@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL installwarden pagereader host_dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# An application linked against the host library then depends on installwarden by itself.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(CPACK_DEBIAN_INSTALLWARDEN_PACKAGE_NAME installwarden)
set(CPACK_DEBIAN_INSTALLWARDEN_PACKAGE_SECTION utils)
# Qt loads its display plugins at run time, out of dpkg-shlibdeps' sight: X11 and offscreen come
# with libqt6gui6, the native Wayland one does not (without it the window goes through XWayland).
set(CPACK_DEBIAN_INSTALLWARDEN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_COMPONENT_INSTALLWARDEN_DESCRIPTION
  "update assistant for desktop applications\n\
installwarden guards one update of a desktop application while the installer job installs it:\n\
a small progress window, the host's commands through files in a folder of its choice, and a\n\
probe that tells whether an update is under way.")

set(CPACK_DEBIAN_PAGEREADER_PACKAGE_NAME pagereader)
set(CPACK_DEBIAN_PAGEREADER_PACKAGE_SECTION graphics)
set(CPACK_COMPONENT_PAGEREADER_DESCRIPTION
  "reads the text lines of a screenshot as JSON\n\
pagereader recognises Simplified Chinese, Traditional Chinese and English text in one image\n\
file and prints each line with its box and confidence as one JSON object. The text models\n\
come with the package.")

set(CPACK_DEBIAN_HOST_DEV_PACKAGE_NAME installwarden-dev)
set(CPACK_DEBIAN_HOST_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_HOST_DEV_PACKAGE_DEPENDS "installwarden (= ${CPACK_PACKAGE_VERSION})")
set(CPACK_COMPONENT_HOST_DEV_DESCRIPTION
  "host library for applications updated with installwarden (development files)\n\
Headers, CMake package (installwarden::host) and pkg-config file of the library with which an\n\
application drives its own update: the request, commands, the window, the assistant's status,\n\
the probe, the launch report and a detached start of the assistant.")

include(CPack)
