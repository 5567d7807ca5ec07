
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/tests/unit/command_test.cpp" "tests/CMakeFiles/zr_unit_tests.dir/unit/command_test.cpp.o" "gcc" "tests/CMakeFiles/zr_unit_tests.dir/unit/command_test.cpp.o.d"
  "/work/main/tests/unit/lexer_test.cpp" "tests/CMakeFiles/zr_unit_tests.dir/unit/lexer_test.cpp.o" "gcc" "tests/CMakeFiles/zr_unit_tests.dir/unit/lexer_test.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/native/CMakeFiles/zr.dir/DependInfo.cmake"
  "/work/main/build/native/googletest/googletest/CMakeFiles/gtest_main.dir/DependInfo.cmake"
  "/work/main/build/native/googletest/googletest/CMakeFiles/gtest.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
