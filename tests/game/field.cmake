# The hex field's rules on hand-built fields, on the headless host with the effects played
# through OpenAL Soft's silent driver.
hexwend_test_suite(game_field_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/field_test.cpp
  LIBS hexwend_game hexwend_test_support)
