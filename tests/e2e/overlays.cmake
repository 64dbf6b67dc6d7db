# The options screen and the pause menu of the real binary: the music volume changed and
# saved, options over the paused play, quitting a game; screenshots go to the build tree's
# screenshots/.
if(TARGET hexwend)
  add_test(NAME e2e_overlays
    COMMAND ${with_xvfb} ${Python3_EXECUTABLE} ${here}/overlays_e2e.py
            $<TARGET_FILE:hexwend> ${PROJECT_BINARY_DIR}/screenshots)
  set_tests_properties(e2e_overlays PROPERTIES TIMEOUT 120 ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
endif()
