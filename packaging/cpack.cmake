# The Debian package: `cmake --build build --target package` makes skelmora_VERSION_ARCH.deb
# from the install rules, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skelmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Skelmora developers")
set(CPACK_PACKAGE_CONTACT "Skelmora developers <skelmora@users.noreply.localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator for USB gaming keyboards, mice and headsets")
set(CPACK_PACKAGE_DESCRIPTION "Sets the lighting, key assignments, macros, DPI stages and \
profiles of a family of USB gaming peripherals through hidraw, without root.\nThe udev rule \
it installs gives the logged-in user access to the supported devices only.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/debian/postinst ${CMAKE_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
