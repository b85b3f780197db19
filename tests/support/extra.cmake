# Second process that holds a named mutex, for the mutex and purge tests.
add_executable(mutex_holder ${CMAKE_CURRENT_LIST_DIR}/helper/MutexHolder.cpp)
target_link_options(mutex_holder PRIVATE -municode)
set_target_properties(mutex_holder PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
foreach(t kvcommon_tests norquill_tests)
  if(TARGET ${t})
    add_dependencies(${t} mutex_holder)
  endif()
endforeach()
