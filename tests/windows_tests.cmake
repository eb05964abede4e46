# Tests of the Windows tree, included by tests/CMakeLists.txt on WIN32.
find_program(KESTREL_MINGW_OBJDUMP NAMES ${CMAKE_OBJDUMP} x86_64-w64-mingw32-objdump REQUIRED)
set(kestrel_windows_bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})

add_test(NAME windows.applet_exports
         COMMAND ${CMAKE_COMMAND} -DMODE=exports -DOBJDUMP=${KESTREL_MINGW_OBJDUMP} -DBIN_DIR=${kestrel_windows_bin}
                 -DMAP=${PROJECT_SOURCE_DIR}/applet/api/exports.map -P ${CMAKE_CURRENT_SOURCE_DIR}/windows_binaries.cmake)
add_test(NAME windows.runtime_imports
         COMMAND ${CMAKE_COMMAND} -DMODE=imports -DOBJDUMP=${KESTREL_MINGW_OBJDUMP} -DBIN_DIR=${kestrel_windows_bin}
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/windows_binaries.cmake)

# Wine starts its server and services on first use; they inherit ctest's output pipe and keep it
# open, so ctest would wait on them. One fixture starts wine with its streams on /dev/null before
# the wine tests and ends its server after them.
find_program(KESTREL_WINESERVER NAMES wineserver wineserver64 PATHS /usr/lib/wine /usr/lib/wine64 REQUIRED)
add_test(NAME windows.wine_start
         COMMAND sh -c "\"$0\" cmd /c exit </dev/null >/dev/null 2>&1" ${CMAKE_CROSSCOMPILING_EMULATOR})
# `wineserver -k` answers 1 when the server has already ended by itself after the last program.
add_test(NAME windows.wine_stop COMMAND sh -c "\"$0\" -k || true" ${KESTREL_WINESERVER})
set_tests_properties(windows.wine_start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(windows.wine_stop PROPERTIES FIXTURES_CLEANUP wine)

# The suites' tests are listed when ctest reads its files, before any fixture, so those files
# start wine first. A persistent server (-p; answers 2 when one runs already) stays up between
# tests: one that ends itself after a quiet moment resets the next program's connection.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/wine_start.cmake
     "execute_process(COMMAND sh -c [[mkdir -p \"\${WINEPREFIX:-\$HOME/.wine}\" && \"$1\" -p; \"$0\" cmd /c exit]]\n"
     "                ${CMAKE_CROSSCOMPILING_EMULATOR} ${KESTREL_WINESERVER}\n"
     "                INPUT_FILE /dev/null OUTPUT_FILE /dev/null ERROR_FILE /dev/null)\n")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_CURRENT_BINARY_DIR}/wine_start.cmake)

if(TARGET kestrel)
  # The tool end to end: a deterministic grab, and a configuration file written with CRLF.
  set(kestrel_windows_work ${CMAKE_CURRENT_BINARY_DIR}/windows_tool)
  add_test(NAME windows.tool_grab
           COMMAND ${CMAKE_COMMAND} -DWINE=${CMAKE_CROSSCOMPILING_EMULATOR} -DTOOL=$<TARGET_FILE:kestrel>
                   -DWORK=${kestrel_windows_work} -P ${CMAKE_CURRENT_SOURCE_DIR}/windows_tool.cmake)
  set_tests_properties(windows.tool_grab PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
endif()
