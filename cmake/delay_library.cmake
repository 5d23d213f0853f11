# Makes a delay-import library from a mingw-w64 import library: every
# function the DLL exports, bound on first call instead of at process start.
# Data exports are marked as such, so that nothing links to one as if it
# were a function. Run as a script:
#   cmake -DNM=... -DDLLTOOL=... -DLIBRARY=... -DOUTPUT=... -P delay_library.cmake
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${DLLTOOL} --identify ${LIBRARY}
                OUTPUT_VARIABLE dll OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "\n.*" "" dll "${dll}")
execute_process(COMMAND ${NM} -g --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols ERROR_QUIET)
string(REPLACE "\n" ";" symbols "${symbols}")
set(imports)
foreach(line ${symbols})
  if(line MATCHES " I __imp_(.+)$")
    list(APPEND imports ${CMAKE_MATCH_1})
  elseif(line MATCHES " T (.+)$")
    set(code_${CMAKE_MATCH_1} 1)
  endif()
endforeach()
list(REMOVE_DUPLICATES imports)
list(SORT imports)
set(def "LIBRARY ${dll}\nEXPORTS\n")
foreach(name ${imports})
  if(DEFINED code_${name})
    string(APPEND def "${name}\n")
  else()
    string(APPEND def "${name} DATA\n")  # an import without a thunk: data
  endif()
endforeach()
# dlltool names the library's symbols after the output path: made where it
# lies, under its own name, they do not depend on where the tree is built.
get_filename_component(directory ${OUTPUT} DIRECTORY)
get_filename_component(name ${OUTPUT} NAME)
string(REGEX REPLACE "\\.a$" ".def" defName "${name}")
file(WRITE ${directory}/${defName} "${def}")
execute_process(COMMAND ${DLLTOOL} --input-def ${defName} --output-delaylib ${name} --dllname ${dll}
                WORKING_DIRECTORY ${directory} COMMAND_ERROR_IS_FATAL ANY)
