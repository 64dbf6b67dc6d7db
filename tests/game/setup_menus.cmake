# The game's creation, loading, main menu and lists, and a whole game from the start to the
# return to the menu, through the headless host with audio on OpenAL Soft's silent driver and
# the generated data folder.
hexwend_test_suite(game_setup_menus_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/setup_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/menus_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/whole_game_test.cpp
  LIBS hexwend_game hexwend_test_support)
if(TARGET assets)
  add_dependencies(game_setup_menus_test assets)
endif()
