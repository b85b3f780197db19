# The trace library and its broken variants must be built before the tests load them.
if(TARGET debuglog_tests)
  add_dependencies(debuglog_tests KvDbg64 KvDbg64_noentry KvDbg64_failinit KvDbg64_nullhandle KvDbg64_failtrace)
endif()
