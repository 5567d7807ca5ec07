# CMake generated Testfile for 
# Source directory: /usr/src/googletest
# Build directory: /work/main/build/native/googletest
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("googletest")
