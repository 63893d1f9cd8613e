# Where each part goes when installed (`cmake --install`), and the Debian package (`make
# package`). Programs find what ships with them in share/pelorus beside their bin folder. The
# decoder plugin (lib/pelorus) and the simulator's streams (share/pelorus/streams) are installed
# by their own folders' rules.
include(GNUInstallDirs)

set(PELORUS_DATA_DIR ${CMAKE_INSTALL_DATADIR}/pelorus)

foreach(program Pelorus pelorus-cli pelorus-receiver-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(TARGET PelorusLZW)
  set_target_properties(PelorusLZW PROPERTIES
    VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}
    SOVERSION ${PROJECT_VERSION_MAJOR})
  install(TARGETS PelorusLZW LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
                             NAMELINK_SKIP)
  install(FILES ${PROJECT_SOURCE_DIR}/src/lzw/pelorus_lzw.h
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/pelorus)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/resources/tarnflash.sbr
              ${PROJECT_SOURCE_DIR}/resources/signal.sbr
              ${PROJECT_SOURCE_DIR}/resources/color.sbr
        DESTINATION ${PELORUS_DATA_DIR})

# The desktop's entry, file type, icon and software-centre description.
set(desktop ${PROJECT_SOURCE_DIR}/resources/desktop)
install(FILES ${desktop}/com.example.Pelorus.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop}/com.example.Pelorus.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${desktop}/pelorus-settings.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${desktop}/pelorus.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/completion/pelorus-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# PNG icons and compressed manual pages are made at build time from the committed sources.
find_program(PELORUS_RSVG rsvg-convert)
find_program(PELORUS_GZIP gzip REQUIRED)
set(generated ${CMAKE_BINARY_DIR}/generated)
set(generated_files)
if(PELORUS_RSVG)
  foreach(size 16 32 48 64 128 256)
    set(png ${generated}/icons/${size}/pelorus.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/icons/${size}
      COMMAND ${PELORUS_RSVG} -w ${size} -h ${size} -o ${png} ${desktop}/pelorus.svg
      DEPENDS ${desktop}/pelorus.svg VERBATIM)
    list(APPEND generated_files ${png})
    install(FILES ${png}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()
foreach(page Pelorus pelorus-cli pelorus-receiver-sim)
  set(gz ${generated}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/man
    COMMAND ${PELORUS_GZIP} -9nc ${PROJECT_SOURCE_DIR}/resources/man/${page}.1 > ${gz}
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/man/${page}.1)
  list(APPEND generated_files ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
set(changelog ${generated}/doc/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/doc
  COMMAND ${PELORUS_GZIP} -9nc ${PROJECT_SOURCE_DIR}/resources/doc/changelog > ${changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/doc/changelog)
list(APPEND generated_files ${changelog})
add_custom_target(pelorus_install_files ALL DEPENDS ${generated_files})
install(FILES ${changelog} ${PROJECT_SOURCE_DIR}/resources/doc/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pelorus)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelorus)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Pelorus developers")
set(CPACK_PACKAGE_CONTACT "The Pelorus developers <pelorus@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "channel list editor for Mediamaster satellite receivers")
set(CPACK_PACKAGE_DESCRIPTION
    "Pelorus edits the channel list of a Mediamaster satellite receiver running the\nTessera firmware and talks to the receiver over RS-232 and SCSI. It comes with\na console tool, the PelorusLZW firmware compression library and a stand-in\nreceiver to try everything without one.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://pelorus.example.com/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The print layout was measured in Arial's metrics; the offscreen platform runs it headless.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins")
# The library's shlibs entry and an ldconfig trigger, instead of ldconfig calls in maintainer
# scripts: the package needs no maintainer scripts of its own.
file(WRITE ${CMAKE_BINARY_DIR}/debian-control/shlibs
     "libPelorusLZW ${PROJECT_VERSION_MAJOR} pelorus (>= ${PROJECT_VERSION})\n")
file(WRITE ${CMAKE_BINARY_DIR}/debian-control/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian-control/shlibs
                                       ${CMAKE_BINARY_DIR}/debian-control/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
