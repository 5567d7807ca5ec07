# CMake generated Testfile for 
# Source directory: /work/main/tests
# Build directory: /work/main/build/native/tests
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[unit]=] "/work/main/build/native/tests/zr_unit_tests")
set_tests_properties([=[unit]=] PROPERTIES  _BACKTRACE_TRIPLES "/work/main/tests/CMakeLists.txt;13;add_test;/work/main/tests/CMakeLists.txt;0;")
subdirs("../googletest")
