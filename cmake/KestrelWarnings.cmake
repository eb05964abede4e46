# Warning flags live on targets: every target of ours links kestrel_warnings (directly, or through
# kestrel_warnings_for_targets_in() for the test, benchmark and fuzz folders), so a target brought
# in from elsewhere never inherits them. Warnings stop the build only when KESTREL_WERROR is ON:
# CI and the dev preset turn it on; a user's or packager's build never fails on a new compiler's
# new warning.
add_library(kestrel_warnings INTERFACE)
target_compile_options(kestrel_warnings INTERFACE
    -Wall -Wextra -Wshadow
    $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>
    $<$<BOOL:${KESTREL_WERROR}>:-Werror>
    # g++ 12 at -O3 inlines std::string::assign far enough to warn that memcpy's source and
    # destination may overlap when they cannot (GCC bug 105329). Only that compiler, only that
    # warning.
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_GREATER_EQUAL:$<CXX_COMPILER_VERSION>,12>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>,$<COMPILE_LANGUAGE:CXX>>:-Wno-restrict>)

# Links kestrel_warnings into the given targets.
function(kestrel_warnings)
  foreach(target IN LISTS ARGN)
    target_link_libraries(${target} PRIVATE $<BUILD_INTERFACE:kestrel_warnings>)
  endforeach()
endfunction()

# Links kestrel_warnings into every target that compiles code and is defined in DIR or below.
# For folders with many small targets (tests, benchmarks), so that a new test needs no extra line.
function(kestrel_warnings_for_targets_in dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      kestrel_warnings(${target})
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    kestrel_warnings_for_targets_in(${subdir})
  endforeach()
endfunction()

# Sanitizers must cover every object and the links, ours or not: they stay global.
add_link_options(-Wl,--no-undefined)
if(KESTREL_SANITIZE)
  add_compile_options(-fsanitize=${KESTREL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${KESTREL_SANITIZE})
  # Sanitized shared objects need the runtime from the executable; --no-undefined cannot hold.
  set(CMAKE_SHARED_LINKER_FLAGS "${CMAKE_SHARED_LINKER_FLAGS} -Wl,--allow-shlib-undefined")
endif()
