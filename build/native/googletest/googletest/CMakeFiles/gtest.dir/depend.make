# Empty dependencies file for gtest.
# This may be replaced when dependencies are built.
