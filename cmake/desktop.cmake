# What makes Ostrel a desktop program: the installed files (programs, udev
# rule, desktop entry, AppStream metainfo, icons, man pages) and the Debian
# package built from them by CPack (tools/package).

include(GNUInstallDirs)

# The desktop entry's, the metainfo's and the icon's name; on Wayland also the
# windows' application id (QGuiApplication::setDesktopFileName).
set(OSTREL_APP_ID org.ostrel.Ostrel)

install(TARGETS ostrel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# udev reads rules from lib/udev/rules.d below the prefix (/usr in the package).
install(FILES resources/70-tarvix-cable.rules DESTINATION lib/udev/rules.d)

# --- man pages, made from the programs' own --help ---------------------------
find_program(HELP2MAN help2man)
set(OSTREL_MAN_DIR ${CMAKE_BINARY_DIR}/man)
if(HELP2MAN)
  set(man_pages)
  # ostrel-cli: its --help names the commands; each command's own --help goes
  # into a COMMANDS section.
  add_custom_command(
    OUTPUT ${OSTREL_MAN_DIR}/ostrel-cli.1
    COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:ostrel-cli> -DOUT=${OSTREL_MAN_DIR}/ostrel-cli.h2m
            -DEXTRA=${CMAKE_SOURCE_DIR}/resources/man/ostrel-cli.h2m
            -P ${CMAKE_SOURCE_DIR}/cmake/cli_commands_h2m.cmake
    COMMAND ${HELP2MAN} --no-info --section=1 --name "Tarvix multimeter tools on the command line"
            --include ${OSTREL_MAN_DIR}/ostrel-cli.h2m --output ${OSTREL_MAN_DIR}/ostrel-cli.1
            $<TARGET_FILE:ostrel-cli>
    DEPENDS ostrel-cli ${CMAKE_SOURCE_DIR}/cmake/cli_commands_h2m.cmake
            ${CMAKE_SOURCE_DIR}/resources/man/ostrel-cli.h2m
    COMMENT "Man page ostrel-cli.1"
    VERBATIM)
  list(APPEND man_pages ${OSTREL_MAN_DIR}/ostrel-cli.1)
  if(OSTREL_BUILD_UI)
    add_custom_command(
      OUTPUT ${OSTREL_MAN_DIR}/ostrel.1
      COMMAND ${HELP2MAN} --no-info --section=1
              --name "desktop companion of the Tarvix dual-display multimeters"
              --include ${CMAKE_SOURCE_DIR}/resources/man/ostrel.h2m
              --output ${OSTREL_MAN_DIR}/ostrel.1 $<TARGET_FILE:ostrel>
      DEPENDS ostrel ${CMAKE_SOURCE_DIR}/resources/man/ostrel.h2m
      COMMENT "Man page ostrel.1"
      VERBATIM)
    list(APPEND man_pages ${OSTREL_MAN_DIR}/ostrel.1)
  endif()
  # Installed compressed, as Debian keeps its man pages.
  set(man_gz)
  foreach(page IN LISTS man_pages)
    add_custom_command(
      OUTPUT ${page}.gz
      COMMAND gzip -9 -n -f -k ${page}
      COMMAND ${CMAKE_COMMAND} -E touch ${page}.gz
      DEPENDS ${page}
      VERBATIM)
    list(APPEND man_gz ${page}.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_gz})
  install(FILES ${man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man not found: no man pages (tools/setup-deps installs it)")
endif()

if(NOT OSTREL_BUILD_UI)
  return()
endif()

install(TARGETS ostrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
target_compile_definitions(ostrel PRIVATE OSTREL_APP_ID="${OSTREL_APP_ID}")

# --- desktop entry and AppStream metainfo ------------------------------------
set(OSTREL_HOMEPAGE "https://ostrel.org" CACHE STRING "The project's home page")
set(OSTREL_SCREENSHOTS_URL "${OSTREL_HOMEPAGE}/screenshots"
    CACHE STRING "Where the README's screenshots (docs/screenshots) are published")
install(FILES resources/desktop/${OSTREL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The metainfo's screenshots are the README's, captioned with their alt texts;
# the picture of every window comes first, as the default one.
file(READ ${CMAKE_SOURCE_DIR}/README.md readme)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/README.md)
string(REGEX MATCHALL "!\\[[^]]*\\]\\(docs/screenshots/[^)]+\\)" images "${readme}")
set(OSTREL_SCREENSHOTS "")
foreach(image IN LISTS images)
  string(REGEX MATCH "^!\\[([^]]*)\\]\\(docs/screenshots/([^)]+)\\)$" _ "${image}")
  set(caption "${CMAKE_MATCH_1}")
  set(file "${CMAKE_MATCH_2}")
  string(REPLACE "&" "&amp;" caption "${caption}")
  string(REPLACE "<" "&lt;" caption "${caption}")
  set(entry "      <caption>${caption}</caption>\n"
            "      <image type=\"source\">${OSTREL_SCREENSHOTS_URL}/${file}</image>\n"
            "    </screenshot>\n")
  if(file STREQUAL "desktop.png")
    string(PREPEND OSTREL_SCREENSHOTS "    <screenshot type=\"default\">\n" ${entry})
  else()
    string(APPEND OSTREL_SCREENSHOTS "    <screenshot>\n" ${entry})
  endif()
endforeach()
set(OSTREL_METAINFO ${CMAKE_BINARY_DIR}/${OSTREL_APP_ID}.metainfo.xml)
configure_file(resources/desktop/${OSTREL_APP_ID}.metainfo.xml.in ${OSTREL_METAINFO} @ONLY)
# (CMakeLists.txt stops configuring when it has no <release> of this version.)
install(FILES ${OSTREL_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# --- icon: the program's own SVG, and PNG files rendered from it -------------
set(OSTREL_ICON_SVG ${CMAKE_SOURCE_DIR}/resources/icons/icon7_app.svg)
set(OSTREL_ICON_SIZES 16 22 24 32 48 64 128 256)
set(OSTREL_ICON_DIR ${CMAKE_BINARY_DIR}/icons/hicolor)
add_executable(render_icon cmake/render_icon.cpp)
target_link_libraries(render_icon PRIVATE Qt6::Gui Qt6::Svg)
set(icon_pngs)
foreach(size IN LISTS OSTREL_ICON_SIZES)
  list(APPEND icon_pngs ${OSTREL_ICON_DIR}/${size}x${size}/apps/${OSTREL_APP_ID}.png)
endforeach()
add_custom_command(
  OUTPUT ${icon_pngs}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:render_icon>
          ${OSTREL_ICON_SVG} ${OSTREL_ICON_DIR} ${OSTREL_APP_ID} ${OSTREL_ICON_SIZES}
  DEPENDS render_icon ${OSTREL_ICON_SVG}
  COMMENT "Application icon as PNG files"
  VERBATIM)
add_custom_target(icons ALL DEPENDS ${icon_pngs})
install(FILES ${OSTREL_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${OSTREL_APP_ID}.svg)
install(DIRECTORY ${OSTREL_ICON_DIR} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# --- the Debian package ------------------------------------------------------
# The package's install step takes the files as built: tools/package builds
# the targets above rather than everything (tests and benchmarks included).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ostrel)
set(CPACK_PACKAGE_VENDOR "The Ostrel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop companion of the Tarvix dual-display multimeters")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Linked to a Tarvix dual-display multimeter through its USB HID adapter\n"
       "cable, Ostrel follows the meter's readings live in a digital meter, an\n"
       "analog meter, a comparator and a data list, records them with a graphical\n"
       "recorder (graph, record files, text export, printing), and downloads the\n"
       "sessions that the meter recorded into its logger memory. ostrel-cli does\n"
       "the same work without windows.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Ostrel developers")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/resources/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
