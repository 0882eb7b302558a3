# The Debian package: `cmake --build build --target package` makes skelmora_VERSION_ARCH.deb
# from the install rules, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skelmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Skelmora developers")
set(CPACK_PACKAGE_CONTACT "${SKELMORA_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator for USB gaming keyboards, mice and headsets")
# Lines of at most 80 characters, as Debian's control files want them.
set(CPACK_PACKAGE_DESCRIPTION "Sets the lighting, key assignments, macros, DPI stages and \
profiles\nof a family of USB gaming peripherals through hidraw, without root.\nThe udev \
rule it installs gives the logged-in user access to the supported\ndevices only.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The headset's sound path, not needed to configure devices: the equaliser loads PipeWire's
# filter-chain module into the program (libpipewire-0.3-modules) and talks to the PipeWire
# server, and the level capture uses the PulseAudio API that pipewire-pulse serves.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pipewire, pipewire-pulse, libpipewire-0.3-modules")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/debian/postinst ${CMAKE_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
# Debian ships programs without their symbols (a separate debug package would carry them).
set(CPACK_STRIP_FILES TRUE)
include(CPack)
