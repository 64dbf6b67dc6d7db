# The pointer model, the control blocks and their readers, driven through the headless host.
hexwend_test_suite(framework_controls_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/controls_test.cpp
  LIBS hexwend_framework hexwend_test_support)
