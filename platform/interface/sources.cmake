target_sources(be PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Button.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DisplayHook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Font.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Invoker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Menu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuField.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuItem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/View.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowList.cpp)
