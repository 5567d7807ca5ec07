file(REMOVE_RECURSE
  "CMakeFiles/zr_unit_tests.dir/unit/command_test.cpp.o"
  "CMakeFiles/zr_unit_tests.dir/unit/command_test.cpp.o.d"
  "CMakeFiles/zr_unit_tests.dir/unit/lexer_test.cpp.o"
  "CMakeFiles/zr_unit_tests.dir/unit/lexer_test.cpp.o.d"
  "zr_unit_tests"
  "zr_unit_tests.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zr_unit_tests.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
