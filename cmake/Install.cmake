# `cmake --install`: the layout DESIGN.md gives, under the prefix.
#   bin/brindle-player, bin/brindle
#   lib/brindle/          the platform and layout libraries, player modules (brindle-follow.so,
#                         libbrindle-display.so), the add-on's TagLib modules (brindle-id3v2.so,
#                         brindle-formats.so, found beside the platform library)
#   lib/brindle/add-ons/  the add-on image
#   lib/brindle/apps/     the roster's app entries
#   share/applications/brindle.desktop
# Everything finds the rest through run paths relative to itself ($ORIGIN), so the
# prefix can be anywhere.

set(brindle_libdir lib/brindle)

function(brindle_install target destination rpath)
  if(TARGET ${target})
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "${rpath}")
    install(TARGETS ${target} RUNTIME DESTINATION ${destination}
                              LIBRARY DESTINATION ${destination})
  endif()
endfunction()

brindle_install(brindle-player bin "$ORIGIN/../${brindle_libdir}")
brindle_install(brindle_launcher bin "$ORIGIN/../${brindle_libdir}")
brindle_install(be ${brindle_libdir} "$ORIGIN")
brindle_install(layout ${brindle_libdir} "$ORIGIN")
brindle_install(brindle_follow ${brindle_libdir} "$ORIGIN")
brindle_install(brindle-display ${brindle_libdir} "$ORIGIN")
brindle_install(brindle_id3v2 ${brindle_libdir} "$ORIGIN")
brindle_install(brindle_formats ${brindle_libdir} "$ORIGIN")
brindle_install(brindle_addon ${brindle_libdir}/add-ons "$ORIGIN/..")

if(EXISTS ${CMAKE_BINARY_DIR}/apps)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/apps/ DESTINATION ${brindle_libdir}/apps)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/player/brindle.desktop DESTINATION share/applications)
