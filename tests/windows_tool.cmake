# kestrel.exe under wine (cmake -P, from windows_tests.cmake): grabs two frames of the camera
# simulator's ramp on the simulated clock, and saves a configuration file, which must have CRLF
# line ends.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${WINE} ${TOOL} grab -n 2 --set FG_GEN_ENABLE=1 --simulated-clock -q -o frames
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kestrel.exe grab exited with ${status}:\n${out}")
endif()
foreach(frame frame_0001.tif frame_0002.tif)
  if(NOT EXISTS ${WORK}/frames/${frame})
    message(FATAL_ERROR "kestrel.exe grab wrote no ${frame}:\n${out}")
  endif()
endforeach()
execute_process(COMMAND ${WINE} ${TOOL} --config c.scf set FG_WIDTH=512
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kestrel.exe --config c.scf set FG_WIDTH=512 exited with ${status}:\n${out}")
endif()
# file(READ) as text drops carriage returns: the bytes are counted in hex, one pair per byte.
file(READ ${WORK}/c.scf text HEX)
string(REGEX REPLACE "(..)" " \\1" text "${text}")
string(REGEX MATCHALL " 0d 0a" crlf "${text}")
string(REGEX MATCHALL " 0a" lf "${text}")
list(LENGTH crlf crlf_count)
list(LENGTH lf lf_count)
if(crlf_count EQUAL 0 OR NOT crlf_count EQUAL lf_count)
  message(FATAL_ERROR "c.scf has ${lf_count} line ends, ${crlf_count} of them CR LF: Windows writes CR LF")
endif()
