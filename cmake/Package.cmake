# The Debian package (scripts/package runs cpack): what `cmake --install` lays out, under /usr.
# CPack packs the build tree as it is, so the package costs no second build. dpkg-shlibdeps
# computes what the programs, the add-on and the modules link. What they open by name at run
# time it cannot see, so those are named here: Depends holds what the menu entry needs to show
# its windows and follow a player (Qt's X11 platform plugin, libmagic to know an MPEG file,
# a session bus); the prompt's line editing and the players to follow are only suggested.

# The package is made from a built tree (scripts/package builds first): cpack, like
# `cmake --install`, then installs what is there instead of building every target again.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brindle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Brindle developers <brindle@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "edit the tags of the song your player is playing")
set(CPACK_PACKAGE_DESCRIPTION
    "Brindle is a window that follows the song playing in the music player you\n\
already use (mpv, VLC, Audacious or any other player that offers MPRIS on the\n\
session bus) and lets you see and edit its title, album, artist, genre, rating\n\
and a per-song volume adjustment. Edits go only into the file they were made\n\
on; a song you only play is never changed.\n\
.\n\
The package holds brindle-player, the player that hosts the Brindle add-on,\n\
and brindle, which opens the Brindle window in the running player.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, libmagic1, default-dbus-session-bus | dbus-session-bus")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libedit2")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mpv-mpris, playerctl")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
