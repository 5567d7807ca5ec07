# Empty dependencies file for zr_unit_tests.
# This may be replaced when dependencies are built.
