# Platform code lives in files of its own: name_posix.cpp and name_win32.cpp beside the shared
# name.cpp. Every source list that may hold such files goes through kestrel_platform_sources(),
# which keeps the files of the platform being built and drops the others.
function(kestrel_platform_sources list_var)
  set(sources ${${list_var}})
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix\\.(c|cpp|h)$")
  else()
    list(FILTER sources EXCLUDE REGEX "_win32\\.(c|cpp|h)$")
  endif()
  set(${list_var} ${sources} PARENT_SCOPE)
endfunction()
