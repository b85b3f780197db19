# The ECS check reads the schema package that scripts/setup-tests.sh installs into the build.
if(TARGET nqhost_tests)
  set_property(TEST nqhost_tests APPEND PROPERTY ENVIRONMENT NQ_ECS_CHECK=${CMAKE_CURRENT_LIST_DIR}/ecs_check.js
               NQ_ECS_MODULES=${CMAKE_BINARY_DIR}/ecs/node_modules)
  # The follow tests store through the second process of the writer race.
  add_dependencies(nqhost_tests records_writer)
endif()
