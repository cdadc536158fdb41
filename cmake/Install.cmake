# The installed layout (GNU folders) and the Debian package: `cpack -G DEB` in the build folder.

set(VORN_APP_ID org.vornconfig.VornConfig)
set(_share ${PROJECT_SOURCE_DIR}/share)

# The newest release in the AppStream file and the package changelog must be this version.
function(vorn_require_version file regex)
  file(READ ${file} _text)
  string(REGEX MATCH "${regex}" _ignored "${_text}")
  if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "${file}: newest release is '${CMAKE_MATCH_1}', the project is ${PROJECT_VERSION}")
  endif()
endfunction()
vorn_require_version(${_share}/metainfo/${VORN_APP_ID}.metainfo.xml "<release version=\"([^\"]+)\"")
vorn_require_version(${_share}/debian/changelog "^vornconfig \\(([^)]+)\\)")

# The window looks for the standard device library beside its binary first, so the build
# tree works without installing.
configure_file(data/VornDevices.def ${CMAKE_CURRENT_BINARY_DIR}/VornDevices.def COPYONLY)

# Manual pages made from each program's own --help and --version, plus a hand-written
# section file each (share/man/<program>.h2m). Not under the sanitizers: the leak checker
# would fail the build on the programs' exit, and nobody packages a sanitizer build.
find_program(HELP2MAN_PROGRAM help2man)
find_program(GZIP_PROGRAM gzip REQUIRED)
set(_man_pages)
if(HELP2MAN_PROGRAM AND NOT VORN_SANITIZE AND NOT VORN_TSAN)
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/man)
  foreach(_prog vornconfig vornctl vornsim)
    set(_page ${CMAKE_CURRENT_BINARY_DIR}/man/${_prog}.1)
    add_custom_command(
      OUTPUT ${_page} ${_page}.gz
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              ${HELP2MAN_PROGRAM} --no-info --section=1 --include=${_share}/man/${_prog}.h2m
              --output=${_page} $<TARGET_FILE:${_prog}>
      COMMAND ${GZIP_PROGRAM} -9nkf ${_page}
      DEPENDS ${_prog} ${_share}/man/${_prog}.h2m
      COMMENT "Manual page ${_prog}(1)"
      VERBATIM)
    list(APPEND _man_pages ${_page}.gz)
  endforeach()
  add_custom_target(manpages ALL DEPENDS ${_man_pages})
elseif(NOT HELP2MAN_PROGRAM)
  message(WARNING "help2man not found (scripts/setup.sh installs it): no manual pages")
endif()

set(_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${_changelog}
  COMMAND ${CMAKE_COMMAND} -E copy ${_share}/debian/changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog
  COMMAND ${GZIP_PROGRAM} -9nf ${CMAKE_CURRENT_BINARY_DIR}/changelog
  DEPENDS ${_share}/debian/changelog
  VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${_changelog})

set(_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/vornconfig)
install(TARGETS vornconfig vornctl vornsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/VornDevices.def DESTINATION ${CMAKE_INSTALL_DATADIR}/vornconfig)
install(FILES ${_share}/applications/${VORN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_share}/icons/hicolor/scalable/apps/${VORN_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_share}/metainfo/${VORN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_share}/bash-completion/vornctl DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_share}/debian/copyright ${_changelog} DESTINATION ${_docdir})
# Lintian warnings that stay, one line each with its reason (none today).
if(EXISTS ${_share}/debian/lintian-overrides)
  install(FILES ${_share}/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
          RENAME vornconfig)
endif()

set(CPACK_PACKAGE_NAME vornconfig)
set(CPACK_PACKAGE_VENDOR "The VornConfig developers")
set(CPACK_PACKAGE_CONTACT "The VornConfig developers <vornconfig@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure Vorn model-railway output controllers")
# The long description, lines of at most 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "VornConfig reads the complete configuration out of a Vorn, a 32-pin output\n"
       "controller for model railways, edits it, writes it back and verifies the Vorn\n"
       "against it, over a serial port, directly or through a Kestro interface. It\n"
       "saves and loads configuration files and applies reusable multi-pin devices\n"
       "from a library.\n"
       "\n"
       "The package also holds vornctl, which reads, writes, verifies and converts\n"
       "configurations from the command line, and vornsim, a simulated Vorn on a\n"
       "pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vornconfig.example.org/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# The dependencies come from the programs' own libraries (the Qt runtime and the C/C++ runtime).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt draws the window's SVG icon only with its SVG plugins.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libqt6svg6)
include(CPack)
