# The application kit: messages, handlers, loopers, messengers, the application and
# the roster.
target_sources(be PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AppLauncher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HandlerRegistry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Handler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Looper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LooperState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Message.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageFlattening.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageTypes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Messenger.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Roster.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RosterServer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RosterSupport.cpp)
