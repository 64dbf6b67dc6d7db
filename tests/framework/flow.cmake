# The frame flow and the game modes through the game's update on the headless host, with
# audio on OpenAL Soft's silent driver and the generated data folder.
hexwend_test_suite(framework_flow_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/flow_test.cpp
  LIBS hexwend_game hexwend_test_support)
if(TARGET assets)
  add_dependencies(framework_flow_test assets)
endif()
