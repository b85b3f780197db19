# The trace library and its broken variants must be built before the tests load them.
foreach(t kvdbg64_tests kvcommon_tests)
  if(TARGET ${t})
    add_dependencies(${t} KvDbg64 KvDbg64_noentry KvDbg64_failinit KvDbg64_nullhandle KvDbg64_failtrace)
  endif()
endforeach()
