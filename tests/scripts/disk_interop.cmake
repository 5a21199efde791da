# The disk tests run the built gruskedit-cli from the program folder and use
# the placeholder game files there.
if(TARGET test_disk AND TARGET gruskedit-cli)
  add_dependencies(test_disk gruskedit-cli d64_placeholders)
endif()
