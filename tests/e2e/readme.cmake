# The README's pictures (make screenshots, tests/e2e/readme_shots.py) need a score server with
# a few players in it; this fills one.
if(TARGET hexwend-scores)
  add_executable(hexwend_seed_scores seed_scores.cpp)
  target_link_libraries(hexwend_seed_scores PRIVATE hexwend_server_test_support)
endif()
