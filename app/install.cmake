# Installation: tilvane and tilvane-map in bin/, the help page and the logo
# beside the executable, the desktop entry and the icon in the XDG places.
include(GNUInstallDirs)
install(TARGETS tilvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/help.htm ${CMAKE_SOURCE_DIR}/resources/tilvane.jpg
        DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/tilvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/tilvane-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME tilvane.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/tilvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
