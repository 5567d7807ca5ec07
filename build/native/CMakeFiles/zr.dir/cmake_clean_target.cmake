file(REMOVE_RECURSE
  "libzr.a"
)
