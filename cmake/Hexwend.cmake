# Small helpers shared by the layer, test, benchmark and fuzz folders.

# hexwend_layer(NAME SOURCES... DEPS...) — one static library per layer folder.
function(hexwend_layer name)
  cmake_parse_arguments(L "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(L_DEPS)
    target_link_libraries(${name} PUBLIC ${L_DEPS})
  endif()
endfunction()

# hexwend_keep_libraries_loaded(TARGET) — in the sanitizer build, the program never unloads
# a shared library (see keep_libraries_loaded.c), so that the leak checker sees the blocks the
# OpenGL driver keeps to the end of the process as reachable. Every test suite has it, and so
# do the programs the end-to-end checks run.
function(hexwend_keep_libraries_loaded target)
  if(HEXWEND_SANITIZE)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/keep_libraries_loaded.c)
    # Libraries loaded at run time (the driver) must find this dlclose before the C library's.
    target_link_options(${target} PRIVATE -Wl,--export-dynamic-symbol=dlclose)
  endif()
endfunction()

# hexwend_test_suite(NAME SOURCES... LIBS...) — one GoogleTest executable whose cases
# CTest discovers one by one.
function(hexwend_test_suite name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  hexwend_keep_libraries_loaded(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE HEXWEND_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             HEXWEND_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${T_PROPERTIES})
endfunction()

# hexwend_display_test_suite(...) — like hexwend_test_suite, for tests that open windows:
# every test case runs under its own private Xvfb (scripts/with-xvfb).
function(hexwend_display_test_suite name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  hexwend_keep_libraries_loaded(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE HEXWEND_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             HEXWEND_BINARY_DIR="${PROJECT_BINARY_DIR}")
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/with-xvfb)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${T_PROPERTIES})
endfunction()
