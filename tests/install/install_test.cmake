# cmake -P script behind the install_consumer test; the variables come from CMakeLists.txt here.
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
# Nothing may lead the installed programs back to the build tree.
unset(ENV{KESTREL_APPLET_PATH})
unset(ENV{LD_LIBRARY_PATH})
unset(ENV{__QUIL_FORCE_EXTERNAL_HAP})

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${ARGN}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
file(REAL_PATH ${prefix}/${LIBDIR} libdir)

# The program must have loaded the applet installed beside libgrabhost5.so.
function(expect_installed_applet how)
  if(NOT out MATCHES "applet ${libdir}/Kestrel12.so with [1-9][0-9]* parameters")
    message(FATAL_ERROR "${how} consumer did not use the installed applet in ${libdir}:\n${out}")
  endif()
  message(STATUS "${how}: ${out}")
endfunction()

# pkg-config, with the library folder recorded as the program's RUNPATH.
set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
run("pkg-config grabhost5" ${PKG_CONFIG} --cflags --libs grabhost5)
separate_arguments(flags UNIX_COMMAND "${out}")
run("pkg-config libdir" ${PKG_CONFIG} --variable=libdir grabhost5)
string(STRIP "${out}" pc_libdir)
run("pkg-config kestrel" ${PKG_CONFIG} --variable=applet kestrel)
string(STRIP "${out}" pc_applet)
if(NOT EXISTS ${pc_applet})
  message(FATAL_ERROR "kestrel.pc names the applet ${pc_applet}, which is not there")
endif()
run("pkg-config kestrel libraries" ${PKG_CONFIG} --exists --print-errors kestrel)
run("building through pkg-config" ${CXX} -std=c++17 ${CONSUMER_DIR}/consumer.cpp ${flags}
    -Wl,-rpath,${pc_libdir} -o ${WORK_DIR}/consumer_pkgconfig)
run("the pkg-config consumer" ${WORK_DIR}/consumer_pkgconfig)
expect_installed_applet("pkg-config")

# find_package(Kestrel12).
run("configuring through find_package" ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/cmake
    -G ${GENERATOR} -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM} -DCMAKE_CXX_COMPILER=${CXX}
    -DCMAKE_PREFIX_PATH=${prefix})
run("building through find_package" ${CMAKE_COMMAND} --build ${WORK_DIR}/cmake)
run("the find_package consumer" ${WORK_DIR}/cmake/consumer)
expect_installed_applet("find_package")

# The installed tool grabs a frame with no help from the environment.
run("installed kestrel grab" ${prefix}/${BINDIR}/kestrel grab -n 1 --format png -o ${WORK_DIR}/frames)
if(NOT EXISTS ${WORK_DIR}/frames/frame_0001.png)
  message(FATAL_ERROR "the installed tool wrote no frame:\n${out}")
endif()
