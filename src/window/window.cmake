# The window (Qt Widgets) over the core, and the program.
set(CMAKE_AUTOMOC ON)

add_library(fragtally_window STATIC
  ${CMAKE_CURRENT_LIST_DIR}/form1.cpp
  ${CMAKE_CURRENT_LIST_DIR}/form1.h
  ${CMAKE_CURRENT_LIST_DIR}/display_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/panel_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_message_sink.cpp
)
target_link_libraries(fragtally_window PUBLIC fragtally_core Qt6::Widgets)

# The built-in panel picture (made by tools/make_panel_picture.cpp).
qt_add_resources(fragtally_window fragtally_pictures
  PREFIX /fragtally
  BASE ${CMAKE_CURRENT_LIST_DIR}/resources
  FILES ${CMAKE_CURRENT_LIST_DIR}/resources/stats.jpg
)

add_executable(fragtally ${CMAKE_CURRENT_LIST_DIR}/../main.cpp)
target_link_libraries(fragtally PRIVATE fragtally_window)

# Tools: the panel picture generator and the README picture of the window.
add_executable(make_panel_picture ${PROJECT_SOURCE_DIR}/tools/make_panel_picture.cpp)
target_link_libraries(make_panel_picture PRIVATE Qt6::Gui)

add_executable(window_picture ${PROJECT_SOURCE_DIR}/tools/window_picture.cpp)
target_link_libraries(window_picture PRIVATE fragtally_window)
