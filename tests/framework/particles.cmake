# Particles, pop-ups, the pools and the starfield, on the headless host.
hexwend_test_suite(framework_particles_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/particles_test.cpp
  LIBS hexwend_framework hexwend_test_support)
