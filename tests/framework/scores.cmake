# The local score tables, the score panel and the in-game score line, driven through the
# headless host in a fresh working folder (a finished game saves the state).
hexwend_test_suite(framework_scores_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/scores_test.cpp
  LIBS hexwend_framework hexwend_test_support)
