# The online leaderboard of the real binary against a real hexwend-scores the check starts on a
# free loopback port: a name entered, a game played, the score in the database and the name in
# the online table.
if(TARGET hexwend AND TARGET hexwend-scores)
  add_test(NAME e2e_leaderboard
    COMMAND ${with_xvfb} ${Python3_EXECUTABLE} ${here}/leaderboard_e2e.py
            $<TARGET_FILE:hexwend> ${PROJECT_BINARY_DIR}/screenshots $<TARGET_FILE:hexwend-scores>)
  set_tests_properties(e2e_leaderboard PROPERTIES TIMEOUT 420)
endif()
