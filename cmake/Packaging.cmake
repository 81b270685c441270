# What `cmake --install` puts on a Linux system, and the Debian package CPack makes of it
# (scripts/package). The desktop program installs itself and the user guide in src/app.

if(TARGET tavro-cli)
  install(TARGETS tavro-cli RUNTIME DESTINATION bin)
endif()
if(TARGET tavro AND NOT WIN32)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/tavro.desktop DESTINATION share/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/tavro.svg DESTINATION share/icons/hicolor/scalable/apps)
endif()

set(CPACK_PACKAGE_NAME tavro)
set(CPACK_PACKAGE_VERSION ${TAVRO_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "re-plans DVD-Rebuilder projects for the CCE MPEG-2 encoder")
set(CPACK_PACKAGE_DESCRIPTION
  "Tavro reads the project DVD-Rebuilder leaves between its Prepare and Encode steps, lets you\n"
  "re-plan the bitrate of every segment and cell within the disc size, predicts Q factors for\n"
  "one-pass encoding and writes the plan back. DVD-Rebuilder and CCE run under Wine.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "Tavro developers <tavro@users.noreply.invalid>")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
# The libraries come from dpkg-shlibdeps; Qt's platform plugins (xcb, wayland) are loaded at run
# time, so no linker sees them. Wine is only needed for Windows players and encoders.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "wine")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
