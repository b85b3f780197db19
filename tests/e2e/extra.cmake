# Second process of the writer race: stores events through the real DLL.
add_executable(records_writer ${CMAKE_CURRENT_LIST_DIR}/helper/RecordsWriter.cpp)
target_include_directories(records_writer PRIVATE ${PROJECT_SOURCE_DIR}/src/Common ${CMAKE_CURRENT_LIST_DIR}/../support)
set_target_properties(records_writer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
target_link_options(records_writer PRIVATE -municode)
if(TARGET e2e_tests)
  add_dependencies(e2e_tests records_writer)
endif()
if(TARGET Norquill)
  add_dependencies(records_writer Norquill)
endif()

# The export table of the built DLL: exactly the eight undecorated names.
find_program(NQ_MINGW_OBJDUMP NAMES x86_64-w64-mingw32-objdump REQUIRED)
add_test(NAME e2e_exports
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_exports.sh $<TARGET_FILE:Norquill>)
set_tests_properties(e2e_exports PROPERTIES ENVIRONMENT "OBJDUMP=${NQ_MINGW_OBJDUMP}")

# A host compiled as C, which reaches the objects only by slot number.
add_executable(c_host ${CMAKE_CURRENT_LIST_DIR}/helper/CHost.c)
target_include_directories(c_host PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../support)
set_target_properties(c_host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
if(TARGET e2e_tests)
  add_dependencies(e2e_tests c_host)
endif()

# A library named like the trace library that marks its own loading, planted in a host's current folder.
add_library(planted_kvdbg SHARED ${CMAKE_CURRENT_LIST_DIR}/helper/PlantedLibrary.cpp)
set_target_properties(planted_kvdbg PROPERTIES PREFIX "" OUTPUT_NAME KvDbg64
                                               RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/planted
                                               LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/planted
                                               ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib/planted)
if(TARGET e2e_tests)
  add_dependencies(e2e_tests planted_kvdbg)
endif()

# The plug-in again from the same sources, with an allocator that fails on request: the
# allocation-failure sweep loads it beside the real one.
add_library(Norquill_failalloc SHARED ${PROJECT_SOURCE_DIR}/src/Norquill/Norquill.cpp
                                      ${PROJECT_SOURCE_DIR}/src/Norquill/Norquill.def
                                      ${CMAKE_CURRENT_LIST_DIR}/failalloc/FailingAllocator.cpp)
set_target_properties(Norquill_failalloc PROPERTIES PREFIX "" OUTPUT_NAME Norquill_failalloc)
target_link_libraries(Norquill_failalloc PRIVATE NorquillCore)
if(TARGET e2e_tests)
  add_dependencies(e2e_tests Norquill_failalloc)
endif()
