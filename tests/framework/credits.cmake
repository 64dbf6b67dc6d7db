# The credits and the name entry through the headless host, with audio on OpenAL Soft's
# silent driver.
hexwend_test_suite(framework_credits_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/credits_test.cpp
  LIBS hexwend_framework hexwend_test_support)
