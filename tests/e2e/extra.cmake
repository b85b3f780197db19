# The export table of the built DLL: exactly the eight undecorated names.
find_program(NQ_MINGW_OBJDUMP NAMES x86_64-w64-mingw32-objdump REQUIRED)
add_test(NAME e2e_exports
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_exports.sh $<TARGET_FILE:Norquill>)
set_tests_properties(e2e_exports PROPERTIES ENVIRONMENT "OBJDUMP=${NQ_MINGW_OBJDUMP}")

# A host compiled as C, which reaches the objects only by slot number.
add_executable(c_host ${CMAKE_CURRENT_LIST_DIR}/helper/CHost.c)
set_target_properties(c_host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
if(TARGET e2e_tests)
  add_dependencies(e2e_tests c_host)
endif()
