
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/projects/ZR/ZR/ZR_classes.cpp" "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_classes.cpp.o" "gcc" "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_classes.cpp.o.d"
  "/work/main/projects/ZR/ZR/ZR_command.cpp" "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_command.cpp.o" "gcc" "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_command.cpp.o.d"
  "/work/main/projects/ZR/ZR/ZR_object.cpp" "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_object.cpp.o" "gcc" "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_object.cpp.o.d"
  "/work/main/projects/ZR/ZR/ZR_value.cpp" "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_value.cpp.o" "gcc" "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_value.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
