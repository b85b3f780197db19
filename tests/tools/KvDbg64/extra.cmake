# Helper process for the cross-process tests of the trace library, and the library's broken variants.
add_executable(kvdbg_writer ${CMAKE_CURRENT_LIST_DIR}/helper/KvDbgWriter.cpp)
target_include_directories(kvdbg_writer PRIVATE ${PROJECT_SOURCE_DIR}/src/Common/KvCommon)
if(NOT MSVC)
  target_link_options(kvdbg_writer PRIVATE -municode)
endif()
if(TARGET debuglog_tests)
  add_dependencies(debuglog_tests kvdbg_writer KvDbg64 KvDbg64_noentry KvDbg64_failinit KvDbg64_nullhandle
                   KvDbg64_failtrace)
endif()
