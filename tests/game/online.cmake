# The online leaderboard's client in the real game, against listeners on loopback.
hexwend_test_suite(game_online_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/online_test.cpp
  LIBS hexwend_game hexwend_test_support
  PROPERTIES TIMEOUT 120 LABELS threads)
if(TARGET assets)
  add_dependencies(game_online_test assets)
endif()
