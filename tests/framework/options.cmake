# The options screen, the pause menu and the full-screen switch through the game's update on
# the headless host, with audio on OpenAL Soft's silent driver and the generated data folder;
# the full-screen switch again on real GLFW and OpenGL under a private X server.
hexwend_test_suite(framework_options_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/options_test.cpp
  LIBS hexwend_game hexwend_test_support)
if(TARGET assets)
  add_dependencies(framework_options_test assets)
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(FULLSCREEN_TEST_STB REQUIRED IMPORTED_TARGET stb)
hexwend_display_test_suite(framework_fullscreen_display_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fullscreen_display_test.cpp
  LIBS hexwend_framework PkgConfig::FULLSCREEN_TEST_STB)
