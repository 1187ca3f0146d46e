target_sources(be PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Atomic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Errors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/String.cpp)
