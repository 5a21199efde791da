# The castle command tests run the built command-line tool and need the
# end-room data in the program folder.
if(TARGET test_cli)
  add_dependencies(test_cli gruskedit-cli)
  if(TARGET grusk_endroom)
    add_dependencies(test_cli grusk_endroom)
  endif()
endif()
