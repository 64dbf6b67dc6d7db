# The frame flow and the game modes through the game's update on the headless host, with
# audio on OpenAL Soft's silent driver and the generated data folder.
hexwend_test_suite(framework_flow_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/flow_test.cpp
  LIBS hexwend_game hexwend_test_support)
if(TARGET assets)
  add_dependencies(framework_flow_test assets)
endif()

# The collector's roots: every module global holding an object or an array keeps it alive.
hexwend_test_suite(framework_roots_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/roots_test.cpp
  LIBS hexwend_framework hexwend_test_support)

# F4 on the real binary under a private X server.
if(TARGET hexwend AND EXISTS ${PROJECT_SOURCE_DIR}/tests/e2e/e2e_support.py)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME e2e_function_keys
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/with-xvfb ${Python3_EXECUTABLE}
            ${PROJECT_SOURCE_DIR}/tests/e2e/function_keys_e2e.py $<TARGET_FILE:hexwend>)
  set_tests_properties(e2e_function_keys PROPERTIES TIMEOUT 120)
endif()
