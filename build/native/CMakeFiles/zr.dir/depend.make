# Empty dependencies file for zr.
# This may be replaced when dependencies are built.
