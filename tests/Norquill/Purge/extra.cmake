# A second process that holds a purge mutex while the tests try to purge.
add_executable(purge_mutex_holder ${CMAKE_CURRENT_LIST_DIR}/MutexHolder.cpp)
set_target_properties(purge_mutex_holder PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
if(TARGET norquill_tests)
  add_dependencies(norquill_tests purge_mutex_holder)
endif()
