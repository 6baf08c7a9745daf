# Installation and packages. `cmake --install` puts Tavrin under CMAKE_INSTALL_PREFIX;
# cpack makes a .deb on Linux and a drag-and-drop .dmg on macOS (scripts/package.sh
# does both steps). Included after src/, so the targets exist here.
include(GNUInstallDirs)

set(TAVRIN_PACKAGE_CONTACT "Tavrin developers <packages@tavrin.invalid>"
  CACHE STRING "Maintainer named in the packages")

# The desktop entry and the AppStream metadata, with the id and version filled in.
set(TAVRIN_DESKTOP_FILE ${CMAKE_BINARY_DIR}/desktop/${TAVRIN_APP_ID}.desktop)
set(TAVRIN_METAINFO_FILE ${CMAKE_BINARY_DIR}/desktop/${TAVRIN_APP_ID}.metainfo.xml)
configure_file(${CMAKE_CURRENT_LIST_DIR}/dev.tavrin.Tavrin.desktop.in ${TAVRIN_DESKTOP_FILE} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/dev.tavrin.Tavrin.metainfo.xml.in ${TAVRIN_METAINFO_FILE} @ONLY)

# The Debian copyright file, in the machine-readable format, from LICENSE: its copyright
# line and its licence text ("Expat" is Debian's name for the MIT licence).
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" copyright_line "${license}")
set(copyright_holders "${CMAKE_MATCH_1}")
string(FIND "${license}" "Permission is hereby granted" permission)
string(SUBSTRING "${license}" ${permission} -1 license)
string(STRIP "${license}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license "${license}")
set(TAVRIN_COPYRIGHT_FILE ${CMAKE_BINARY_DIR}/desktop/copyright)
file(CONFIGURE OUTPUT ${TAVRIN_COPYRIGHT_FILE} CONTENT "\
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Tavrin

Files: *
Copyright: ${copyright_holders}
License: Expat

License: Expat
 ${license}
")

if(APPLE)
  install(TARGETS tavrin BUNDLE DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
    DESTINATION $<TARGET_FILE_NAME:tavrin>.app/Contents/Resources)
  # Copies the Qt frameworks and plugins into the bundle, so it runs without Homebrew's Qt;
  # the command line and its policy module in Contents/MacOS are pointed at them too.
  if(Qt6_VERSION VERSION_GREATER_EQUAL 6.5)
    # The command line and, in the plug-ins, the network module (it needs Qt Network and its
    # plug-ins, which the app itself does not link) and the keyring module (QtKeychain) are
    # deployed as more binaries.
    qt_generate_deploy_script(TARGET tavrin OUTPUT_SCRIPT deploy_script CONTENT "
qt_deploy_runtime_dependencies(
    EXECUTABLE \"$<TARGET_FILE_NAME:tavrin>.app\"
    ADDITIONAL_EXECUTABLES
        \"$<TARGET_FILE_NAME:tavrin>.app/Contents/MacOS/$<TARGET_FILE_NAME:tavrin-cli>\"
    ADDITIONAL_MODULES
        \"$<TARGET_FILE_NAME:tavrin>.app/Contents/PlugIns/tavrin/$<TARGET_FILE_NAME:tavrin-network>\"
        \"$<TARGET_FILE_NAME:tavrin>.app/Contents/PlugIns/tavrin/$<TARGET_FILE_NAME:tavrin-keyring>\"
    NO_UNSUPPORTED_PLATFORM_ERROR)
")
  else()
    qt_generate_deploy_app_script(TARGET tavrin FILENAME_VARIABLE deploy_script
      NO_UNSUPPORTED_PLATFORM_ERROR)
  endif()
  install(SCRIPT ${deploy_script})
else()
  install(TARGETS tavrin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Loaded by the window and the command line with their first remote request, and once
  # keys are kept in the system keyring.
  install(TARGETS tavrin-network tavrin-keyring LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/tavrin)
  if(TARGET tavrin-cli)
    install(TARGETS tavrin-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # Shell completions, written by the command line itself at build time, where each
    # shell looks for the completions of installed packages.
    set(completions_dir ${CMAKE_BINARY_DIR}/completions)
    set(completions ${completions_dir}/tavrin-cli.bash ${completions_dir}/_tavrin-cli
      ${completions_dir}/tavrin-cli.fish)
    add_custom_command(OUTPUT ${completions}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${completions_dir}
      COMMAND ${TAVRIN_RUN_AT_BUILD} sh -c "\"$1\" completions bash >\"$2/tavrin-cli.bash\" && \"$1\" completions zsh >\"$2/_tavrin-cli\" && \"$1\" completions fish >\"$2/tavrin-cli.fish\"" sh $<TARGET_FILE:tavrin-cli> ${completions_dir}
      DEPENDS tavrin-cli
      COMMENT "Writing the shell completions of tavrin-cli"
      VERBATIM)
    add_custom_target(tavrin-cli-completions ALL DEPENDS ${completions})
    install(FILES ${completions_dir}/tavrin-cli.bash
      DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tavrin-cli)
    install(FILES ${completions_dir}/_tavrin-cli
      DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
    install(FILES ${completions_dir}/tavrin-cli.fish
      DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
  endif()
  install(FILES ${TAVRIN_COPYRIGHT_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavrin)
  install(FILES ${TAVRIN_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${TAVRIN_METAINFO_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/icons/${TAVRIN_APP_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(DIRECTORY ${TAVRIN_ICON_BUILD_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

set(CPACK_PACKAGE_NAME tavrin)
set(CPACK_PACKAGE_VENDOR Tavrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TAVRIN_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Switches Codex and Claude Code between account profiles")
set(CPACK_PACKAGE_DESCRIPTION [=[
Tavrin keeps account profiles for the Codex app and the Claude Code CLI
and switches either one to the profile you pick: it rewrites their
configuration and credential files safely (backup, verify, roll back),
moves Codex's chat threads to the new model provider and restarts the
assistant with the profile's proxy. A tray menu switches without opening
the window.]=])
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

if(APPLE)
  set(CPACK_GENERATOR DragNDrop)
  set(CPACK_PACKAGE_FILE_NAME Tavrin-${PROJECT_VERSION})
  set(CPACK_DMG_VOLUME_NAME Tavrin)
  if(TAVRIN_ICNS)
    set(CPACK_PACKAGE_ICON ${TAVRIN_ICNS})
  endif()
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # Libraries from the binaries themselves where dpkg-shlibdeps (dpkg-dev) is there,
  # otherwise the Qt libraries by name. The rest are programs Tavrin runs: zsh and
  # sqlite3 always, a terminal for Claude Code sessions.
  find_program(TAVRIN_DPKG_SHLIBDEPS dpkg-shlibdeps)
  set(depends "zsh, sqlite3, qt6-qpa-plugins")
  if(TAVRIN_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  else()
    string(PREPEND depends "libqt6core6 (>= 6.4), libqt6network6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6svg6 (>= 6.4), libqt6keychain1, ")
  endif()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${depends}")
  # qt6-translations-l10n: Qt's own texts (standard buttons, dialogs) in the user's language.
  # libsecret-1-0: QtKeychain loads it at run time to reach the Secret Service.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xterm | x-terminal-emulator, qt6-translations-l10n, libsecret-1-0")
endif()
include(CPack)
