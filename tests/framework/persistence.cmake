# Settings, identity and the state record, driven through the headless host in a fresh
# working folder.
hexwend_test_suite(framework_persistence_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/persistence_test.cpp
  LIBS hexwend_framework hexwend_test_support)
