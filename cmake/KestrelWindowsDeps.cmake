# The Windows build's libraries: zlib, libpng and libtiff cross-built from Debian's own source
# packages (apt-get source; scripts/bootstrap adds the deb-src entry), installed static into the
# build tree, and exposed under the same target names the Linux build gets from pkg-config and
# FindPNG. The header-only libraries (CLI11, nlohmann-json) are Debian's headers, seen through a
# folder of their own so that the cross compiler never reads the rest of /usr/include.
include(ExternalProject)

set(KESTREL_DEBIAN_SOURCES ${CMAKE_BINARY_DIR}/_deps/debian-src CACHE PATH
    "Where apt-get source unpacks zlib, libpng and libtiff for the Windows build")
set(KESTREL_WINDOWS_DEPS_PREFIX ${CMAKE_BINARY_DIR}/_deps/install)

# Unpacks a Debian source package once and returns its folder (package-version).
function(kestrel_debian_source package folder_glob out_var)
  file(GLOB found LIST_DIRECTORIES true ${KESTREL_DEBIAN_SOURCES}/${folder_glob})
  list(FILTER found EXCLUDE REGEX "\\.(dsc|xz|gz|bz2)$")
  if(NOT found)
    file(MAKE_DIRECTORY ${KESTREL_DEBIAN_SOURCES})
    message(STATUS "apt-get source ${package}")
    execute_process(COMMAND apt-get source -qq ${package}
                    WORKING_DIRECTORY ${KESTREL_DEBIAN_SOURCES}
                    RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
    file(GLOB found LIST_DIRECTORIES true ${KESTREL_DEBIAN_SOURCES}/${folder_glob})
    list(FILTER found EXCLUDE REGEX "\\.(dsc|xz|gz|bz2)$")
    if(NOT found)
      message(FATAL_ERROR "apt-get source ${package} failed (status ${status}); the Windows build needs a "
                          "deb-src entry in /etc/apt (scripts/bootstrap adds it):\n${errors}")
    endif()
  endif()
  list(GET found 0 folder)
  set(${out_var} ${folder} PARENT_SCOPE)
endfunction()

kestrel_debian_source(zlib "zlib-*" zlib_SOURCE)
kestrel_debian_source(libpng1.6 "libpng1.6-*" libpng_SOURCE)
kestrel_debian_source(tiff "tiff-*" tiff_SOURCE)

set(prefix ${KESTREL_WINDOWS_DEPS_PREFIX})
set(kestrel_deps_args
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=${prefix}
    -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_FIND_ROOT_PATH=${prefix}
    -DCMAKE_POSITION_INDEPENDENT_CODE=ON
    -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER}
    -DBUILD_SHARED_LIBS=OFF)
set(zlib_static ${prefix}/lib/libzlibstatic.a)
set(png_static ${prefix}/lib/libpng16.a)
set(tiff_static ${prefix}/lib/libtiff.a)

# Only zlib's static library: its DLL needs a resource file that Debian's source leaves out.
ExternalProject_Add(kestrel_ext_zlib
  SOURCE_DIR ${zlib_SOURCE}
  CMAKE_ARGS ${kestrel_deps_args}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target zlibstatic
  INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory ${prefix}/lib ${prefix}/include
          COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libzlibstatic.a ${prefix}/lib/
          COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/zconf.h <SOURCE_DIR>/zlib.h ${prefix}/include/
  BUILD_BYPRODUCTS ${zlib_static})
ExternalProject_Add(kestrel_ext_png
  SOURCE_DIR ${libpng_SOURCE}
  DEPENDS kestrel_ext_zlib
  CMAKE_ARGS ${kestrel_deps_args} -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
             -DSKIP_INSTALL_PROGRAMS=ON -DZLIB_LIBRARY=${zlib_static} -DZLIB_INCLUDE_DIR=${prefix}/include
  BUILD_BYPRODUCTS ${png_static})
ExternalProject_Add(kestrel_ext_tiff
  SOURCE_DIR ${tiff_SOURCE}
  DEPENDS kestrel_ext_zlib
  CMAKE_ARGS ${kestrel_deps_args} -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF
             -Dcxx=OFF -Djpeg=OFF -Dold-jpeg=OFF -Djbig=OFF -Dlerc=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF
             -Dlibdeflate=OFF -Dzlib=ON -DZLIB_LIBRARY=${zlib_static} -DZLIB_INCLUDE_DIR=${prefix}/include
  BUILD_BYPRODUCTS ${tiff_static})

file(MAKE_DIRECTORY ${prefix}/include)
add_library(kestrel_windows_zlib STATIC IMPORTED GLOBAL)
set_target_properties(kestrel_windows_zlib PROPERTIES IMPORTED_LOCATION ${zlib_static}
                      INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include)
add_dependencies(kestrel_windows_zlib kestrel_ext_zlib)
add_library(PNG::PNG STATIC IMPORTED GLOBAL)
set_target_properties(PNG::PNG PROPERTIES IMPORTED_LOCATION ${png_static}
                      INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include INTERFACE_LINK_LIBRARIES kestrel_windows_zlib)
add_dependencies(PNG::PNG kestrel_ext_png)
add_library(PkgConfig::TIFF STATIC IMPORTED GLOBAL)
set_target_properties(PkgConfig::TIFF PROPERTIES IMPORTED_LOCATION ${tiff_static}
                      INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include INTERFACE_LINK_LIBRARIES kestrel_windows_zlib)
add_dependencies(PkgConfig::TIFF kestrel_ext_tiff)

# Header-only libraries from Debian, one folder per library.
set(kestrel_headers ${CMAKE_BINARY_DIR}/_deps/headers)
foreach(pair "CLI11;CLI" "nlohmann_json;nlohmann")
  list(GET pair 0 name)
  list(GET pair 1 folder)
  file(MAKE_DIRECTORY ${kestrel_headers}/${name})
  file(CREATE_LINK /usr/include/${folder} ${kestrel_headers}/${name}/${folder} SYMBOLIC)
  add_library(${name}::${name} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${name}::${name} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${kestrel_headers}/${name})
endforeach()
set(CLI11_FOUND TRUE)
set(nlohmann_json_FOUND TRUE)

# GoogleTest from Debian's sources, built with the same toolchain.
if(KESTREL_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
  foreach(library gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${library})
      add_library(GTest::${library} ALIAS ${library})
    endif()
  endforeach()
  set(GTest_FOUND TRUE)
endif()

# The folders' own find_package() calls then find what is above instead of the build machine's
# libraries.
set(kestrel_finders ${CMAKE_BINARY_DIR}/_deps/finders)
foreach(module PNG GTest)
  file(WRITE ${kestrel_finders}/Find${module}.cmake "set(${module}_FOUND TRUE)\n")
endforeach()
foreach(package CLI11 nlohmann_json)
  file(WRITE ${kestrel_finders}/${package}Config.cmake "set(${package}_FOUND TRUE)\n")
  set(${package}_DIR ${kestrel_finders} CACHE PATH "" FORCE)
endforeach()
list(PREPEND CMAKE_MODULE_PATH ${kestrel_finders})

# cpp-httplib: Debian's binary package holds the split (compiled) form; its source package holds
# the single header, which Windows compiles into the tool with the socket library.
kestrel_debian_source(cpp-httplib "cpp-httplib-*" httplib_SOURCE)
file(MAKE_DIRECTORY ${kestrel_headers}/httplib)
file(CREATE_LINK ${httplib_SOURCE}/httplib.h ${kestrel_headers}/httplib/httplib.h SYMBOLIC)
add_library(kestrel_httplib INTERFACE IMPORTED GLOBAL)
set_target_properties(kestrel_httplib PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${kestrel_headers}/httplib
                      INTERFACE_LINK_LIBRARIES "ws2_32;crypt32")
