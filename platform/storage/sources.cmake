# The storage kit: entries, nodes, files, attributes and file types.
target_sources(be PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AttributeStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioFormatProbe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Entry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EntryRef.cpp
  ${CMAKE_CURRENT_LIST_DIR}/File.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MagicLibrary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MimeSniffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MpegAudioProbe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Node.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NodeInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StorageSupport.cpp)

# libmagic guesses file types from content (BNodeInfo's last resort). It is opened with
# dlopen at the first guess that needs it, so only its header is needed here.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBMAGIC REQUIRED libmagic)
target_include_directories(be PRIVATE ${LIBMAGIC_INCLUDE_DIRS})
target_link_libraries(be PRIVATE ${CMAKE_DL_LIBS})
