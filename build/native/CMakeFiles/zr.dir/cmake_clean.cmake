file(REMOVE_RECURSE
  "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_classes.cpp.o"
  "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_classes.cpp.o.d"
  "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_command.cpp.o"
  "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_command.cpp.o.d"
  "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_object.cpp.o"
  "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_object.cpp.o.d"
  "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_value.cpp.o"
  "CMakeFiles/zr.dir/projects/ZR/ZR/ZR_value.cpp.o.d"
  "libzr.a"
  "libzr.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zr.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
