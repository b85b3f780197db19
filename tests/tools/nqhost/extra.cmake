# The ECS check reads the schema package that scripts/setup-tests.sh installs into the build.
if(TARGET nqhost_tests)
  set_property(TEST nqhost_tests APPEND PROPERTY ENVIRONMENT NQ_ECS_CHECK=${CMAKE_CURRENT_LIST_DIR}/ecs_check.js
               NQ_ECS_MODULES=${CMAKE_BINARY_DIR}/ecs/node_modules NQ_SOURCE_DIR=${PROJECT_SOURCE_DIR})
  # The follow tests store through the second process of the writer race.
  add_dependencies(nqhost_tests records_writer)
endif()

# Events through two real rsyslog daemons, the follow killed twice on the way.
add_test(NAME nqhost_relay COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/relay_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(nqhost_relay PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600 ENVIRONMENT
                     WINEPREFIX=${NQ_TEST_PREFIX})
