# Installation: tilvane and tilvane-map in bin/, the help page and the logo in
# share/tilvane/ (the program looks there first, then beside the executable as
# in the build tree), the desktop entry (named by the program's reverse-domain
# id, as its AppStream data and Wayland windows are) and the icons in the XDG
# places. The files that are not programs form the component tilvane_data.
include(GNUInstallDirs)
install(TARGETS tilvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/help.htm ${CMAKE_SOURCE_DIR}/resources/tilvane.jpg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tilvane COMPONENT tilvane_data)
install(FILES ${CMAKE_SOURCE_DIR}/resources/com.quarrin.Tilvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT tilvane_data)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/tilvane-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME tilvane.png COMPONENT tilvane_data)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/tilvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT tilvane_data)

# The program finds its installed files by this path from its own folder.
file(RELATIVE_PATH tilvane_data_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/tilvane)
target_compile_definitions(tilvane_app PRIVATE TILVANE_DATA_FROM_BIN="${tilvane_data_from_bin}")
