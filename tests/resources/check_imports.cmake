# cmake -DOBJDUMP=... -DPROGRAM=... -DALLOWED=KERNEL32.dll,msvcrt.dll -P check_imports.cmake
# Fails when PROGRAM, a Windows executable, imports a library ALLOWED does not
# name (in any case): each library imported is loaded, with all it imports in
# turn, every time the program starts.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
if(NOT imports)
  message(FATAL_ERROR "no imported library found in ${PROGRAM}")
endif()
string(TOLOWER "${ALLOWED}" allowed)
string(REPLACE "," ";" allowed "${allowed}")
foreach(import IN LISTS imports)
  string(REPLACE "DLL Name: " "" library "${import}")
  string(TOLOWER "${library}" library_lower)
  if(NOT library_lower IN_LIST allowed)
    message(FATAL_ERROR "${PROGRAM} imports ${library}, which only ${ALLOWED} may be")
  endif()
  message(STATUS "imports ${library}")
endforeach()
