# How a shared library limits what it exports: a version script on ELF, a .def file on Windows
# (both list the same names; without one, mingw would export every symbol).
function(kestrel_export_list target map def)
  if(WIN32)
    target_sources(${target} PRIVATE ${def})
  elseif(map)
    target_link_options(${target} PRIVATE -Wl,--version-script=${map})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
  endif()
endfunction()
