# The name entry and the credits of the real binary: a name spelt and saved into the state
# file, the credits opened and left; screenshots go to the build tree's screenshots/.
if(TARGET hexwend)
  add_test(NAME e2e_name_credits
    COMMAND ${with_xvfb} ${Python3_EXECUTABLE} ${here}/name_credits_e2e.py
            $<TARGET_FILE:hexwend> ${PROJECT_BINARY_DIR}/screenshots)
  set_tests_properties(e2e_name_credits PROPERTIES TIMEOUT 180 ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
endif()
