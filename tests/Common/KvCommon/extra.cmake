# Second process for the named-mutex tests.
add_executable(kvcommon_mutex_holder ${CMAKE_CURRENT_LIST_DIR}/helper/MutexHolder.cpp)
target_link_options(kvcommon_mutex_holder PRIVATE -municode)
set_target_properties(kvcommon_mutex_holder PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
add_dependencies(kvcommon_tests kvcommon_mutex_holder)
