file(REMOVE_RECURSE
  "../../lib/libgtest_main.a"
)
