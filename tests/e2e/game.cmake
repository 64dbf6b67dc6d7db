# A whole game of the real binary: loading, menus, a "Hard" game run, jumped and lost, the
# menu again, the state file and "Quit"; its screenshots go to the build tree's screenshots/.
if(TARGET hexwend)
  add_test(NAME e2e_game
    COMMAND ${with_xvfb} ${Python3_EXECUTABLE} ${here}/game_e2e.py
            $<TARGET_FILE:hexwend> ${PROJECT_BINARY_DIR}/screenshots)
  set_tests_properties(e2e_game PROPERTIES TIMEOUT 400 ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
endif()
