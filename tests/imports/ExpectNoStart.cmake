# cmake -DEXE=x.exe -DWINE=wine -P ExpectNoStart.cmake: EXE imports a DLL Windows
# lacks; run by WINE in the test prefix (WINEPREFIX) it must not start.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${WINE} ${EXE} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(out MATCHES "started")
  message(FATAL_ERROR "${EXE} started: the Wine prefix provides a DLL that Windows lacks")
endif()
if(rc EQUAL 0)
  message(FATAL_ERROR "${EXE} ended with 0 without starting (${err})")
endif()
message(STATUS "${EXE} did not start (exit ${rc}), as on a clean Windows")
