# `cmake --install`: the layout DESIGN.md gives, under the prefix.
#   bin/brindle-player, bin/brindle
#   lib/brindle/          the platform and layout libraries, the modules loaded on demand
#                         (the player's brindle-follow.so and libbrindle-display.so, the
#                         add-on's TagLib modules, found beside the platform library)
#   lib/brindle/add-ons/  the add-on image
#   lib/brindle/apps/     the roster's app entries
#   share/applications/ID.desktop, share/metainfo/ID.metainfo.xml,
#   share/icons/hicolor/scalable/apps/ID.svg   (ID: the application id, org.brindle.Brindle)
#   share/man/man1/       brindle-player.1.gz, brindle.1.gz
#   share/doc/brindle/    copyright, changelog.gz
# Everything finds the rest through run paths relative to itself ($ORIGIN), so the
# prefix can be anywhere, /usr included.

set(brindle_libdir lib/brindle)

# The libraries and modules that go into lib/brindle: a new module is one more name here.
set(brindle_library_targets
  be
  layout
  brindle_follow
  brindle-display
  brindle_id3v2
  brindle_formats)

function(brindle_install target destination rpath)
  if(TARGET ${target})
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "${rpath}")
    install(TARGETS ${target} RUNTIME DESTINATION ${destination}
                              LIBRARY DESTINATION ${destination})
  endif()
endfunction()

brindle_install(brindle-player bin "$ORIGIN/../${brindle_libdir}")
brindle_install(brindle_launcher bin "$ORIGIN/../${brindle_libdir}")
foreach(target ${brindle_library_targets})
  brindle_install(${target} ${brindle_libdir} "$ORIGIN")
endforeach()
brindle_install(brindle_addon ${brindle_libdir}/add-ons "$ORIGIN/..")

if(EXISTS ${CMAKE_BINARY_DIR}/apps)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/apps/ DESTINATION ${brindle_libdir}/apps)
endif()

if(TARGET dist_files)
  set(dist ${CMAKE_SOURCE_DIR}/dist)
  install(FILES ${dist}/${BRINDLE_APP_ID}.desktop DESTINATION share/applications)
  install(FILES ${dist}/${BRINDLE_APP_ID}.metainfo.xml DESTINATION share/metainfo)
  install(FILES ${dist}/${BRINDLE_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
  install(FILES ${CMAKE_BINARY_DIR}/dist/brindle.1.gz DESTINATION share/man/man1)
  if(TARGET brindle-player)
    install(FILES ${CMAKE_BINARY_DIR}/dist/brindle-player.1.gz DESTINATION share/man/man1)
  endif()
  install(FILES ${dist}/debian/copyright ${CMAKE_BINARY_DIR}/dist/changelog.gz
          DESTINATION share/doc/brindle)
endif()
