find_package(PkgConfig REQUIRED)
pkg_check_modules(FRAMEWORK_TEST_STB REQUIRED IMPORTED_TARGET stb)

# The sprite buffer, its replay and the bitmap text: headless, and the replay on real OpenGL.
if(TARGET hexwend_test_support)
  hexwend_test_suite(framework_sprites_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/globals_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/sprites_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/text_test.cpp
  LIBS hexwend_framework hexwend_test_support)
endif()

hexwend_display_test_suite(framework_replay_display_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/replay_display_test.cpp
  LIBS hexwend_framework PkgConfig::FRAMEWORK_TEST_STB)
