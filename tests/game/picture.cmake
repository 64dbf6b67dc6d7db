find_package(PkgConfig REQUIRED)
pkg_check_modules(GAME_TEST_STB REQUIRED IMPORTED_TARGET stb)

# Every frame of scripted scenes of the real game drawn only where it changed and drawn in
# full, compared pixel for pixel on real OpenGL under a private X server.
hexwend_display_test_suite(game_picture_display_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/picture_display_test.cpp
  LIBS hexwend_game hexwend_test_support PkgConfig::GAME_TEST_STB
  PROPERTIES TIMEOUT 300)
if(TARGET assets)
  add_dependencies(game_picture_display_test assets)
endif()
