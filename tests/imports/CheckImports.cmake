# cmake -DOBJDUMP=... -DEXES="a.exe|b.exe" -P CheckImports.cmake
# Fails naming each DLL an exe imports that is not in System32 of every Windows 8
# or later: such an exe does not start on a clean PC.
cmake_minimum_required(VERSION 3.25)
set(system_dlls
  advapi32 bcrypt cfgmgr32 comctl32 comdlg32 crypt32 dbghelp dwmapi gdi32 gdiplus
  imagehlp imm32 kernel32 msftedit msimg32 msvcrt ncrypt ntdll ole32 oleacc oleaut32
  psapi riched20 rpcrt4 secur32 setupapi shell32 shlwapi uiautomationcore user32
  userenv uxtheme version winmm wintrust ws2_32)

string(REPLACE "|" ";" exes "${EXES}")
if(NOT exes)
  message(FATAL_ERROR "no shipped exe to check")
endif()
set(faults)
foreach(exe ${exes})
  execute_process(COMMAND ${OBJDUMP} -p ${exe} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} could not read ${exe}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
  get_filename_component(name ${exe} NAME)
  set(imports)
  foreach(line ${lines})
    string(REGEX REPLACE "DLL Name: " "" dll "${line}")
    string(TOLOWER "${dll}" dll)
    list(APPEND imports ${dll})
    string(REGEX REPLACE "\\.dll$" "" base "${dll}")
    if(NOT base IN_LIST system_dlls)
      list(APPEND faults "${name} imports ${dll}, which Windows does not have")
    endif()
  endforeach()
  # An import table read as empty would pass anything: every exe imports kernel32.
  if(NOT "kernel32.dll" IN_LIST imports)
    list(APPEND faults "${name}: no import of kernel32.dll found; the import table was not read")
  endif()
  message(STATUS "${name}: ${imports}")
endforeach()
if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "${text}")
endif()
