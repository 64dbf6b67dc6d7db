# Sound effects and music on OpenAL Soft's null output; needs oggenc for the tunes.
hexwend_test_suite(framework_sfx_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sfx_test.cpp
  LIBS hexwend_framework hexwend_test_support
  PROPERTIES TIMEOUT 60)
