# The score scrambling: its key table and the scrambled payload.
hexwend_test_suite(framework_leaderboard_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/leaderboard_test.cpp
  LIBS hexwend_framework hexwend_test_support)
