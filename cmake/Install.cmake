# What an installation holds, laid out by GNUInstallDirs under any prefix:
#   bin/VLZozed, bin/pxdib, bin/vlfpack
#   share/vlzozed/characters/*.vlf                 (the program finds them from ../share/vlzozed)
#   share/applications/org.example.vlzozed.desktop
#   share/metainfo/org.example.vlzozed.metainfo.xml
#   share/icons/hicolor/<N>x<N>/apps/org.example.vlzozed.png
#   share/man/man1/VLZozed.1.gz, pxdib.1.gz, vlfpack.1.gz
# Nothing in the programs names the prefix, so the tree works wherever it is put.
include(GNUInstallDirs)

if(NOT VLZ_WITH_QT OR NOT TARGET VLZozed)
  return()
endif()

set(VLZ_APPLICATION_ID org.example.vlzozed)
set(VLZ_ICON_SIZES 16 22 24 32 48 64 128 256)
set(desktop_source ${PROJECT_SOURCE_DIR}/resources/desktop)
set(desktop_stage ${PROJECT_BINARY_DIR}/desktop)

# The icons, drawn from the tray icon's art at build time.
set(icons)
foreach(size IN LISTS VLZ_ICON_SIZES)
  set(icon ${desktop_stage}/icons/${size}/${VLZ_APPLICATION_ID}.png)
  add_custom_command(
    OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${desktop_stage}/icons/${size}
    COMMAND appicon ${PROJECT_SOURCE_DIR}/resources/icons/show.txt ${size} ${icon}
    DEPENDS appicon ${PROJECT_SOURCE_DIR}/resources/icons/show.txt
    COMMENT "Drawing the ${size}x${size} icon"
    VERBATIM)
  list(APPEND icons ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The manual pages, compressed as Debian installs them.
set(manuals)
foreach(page VLZozed pxdib vlfpack)
  set(manual ${desktop_stage}/man/${page}.1.gz)
  add_custom_command(
    OUTPUT ${manual}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${desktop_stage}/man
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/docs/man/${page}.1 > ${manual}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${page}.1
    COMMENT "Compressing the manual page ${page}(1)")
  list(APPEND manuals ${manual})
endforeach()
install(FILES ${manuals} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

configure_file(${desktop_source}/${VLZ_APPLICATION_ID}.metainfo.xml.in
               ${desktop_stage}/${VLZ_APPLICATION_ID}.metainfo.xml @ONLY)

add_custom_target(desktop_files ALL DEPENDS ${icons} ${manuals})

install(TARGETS VLZozed pxdib vlfpack RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
get_property(character_packages GLOBAL PROPERTY VLZ_CHARACTER_PACKAGES)
install(FILES ${character_packages} DESTINATION ${CMAKE_INSTALL_DATADIR}/vlzozed/characters)
install(FILES ${desktop_source}/${VLZ_APPLICATION_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop_stage}/${VLZ_APPLICATION_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
