# The fuzz targets and what each one is built from. The fuzzing build links them with libFuzzer;
# the test build links the same sources with a driver that replays the committed corpora.
set(KESTREL_FUZZ_TARGETS config_parser config_load lut_file design_image reference_image inspect_conf)

set(_applet ${PROJECT_SOURCE_DIR}/applet)
set(_libs ${PROJECT_SOURCE_DIR}/libs)
set(_readers ${_applet}/config/config_file_index.cpp ${_applet}/config/config_file_parser.cpp
             ${_applet}/config/line_pieces.cpp ${_applet}/config/text_numbers.cpp
             ${_applet}/correction/lut_file.cpp ${_applet}/support/diagnostic_log.cpp
             ${_applet}/core/number_text.cpp ${_applet}/platform/platform_posix.cpp)
file(GLOB _designrt ${_libs}/designrt/src/*.cpp)
file(GLOB _regiort ${_libs}/regiort/src/*.cpp)

set(KESTREL_FUZZ_config_parser_SOURCES ${_readers})
set(KESTREL_FUZZ_lut_file_SOURCES ${_readers})
# Whole configuration files: the header checks and both passes over the saved parameters, with
# setters that only record their calls.
set(KESTREL_FUZZ_config_load_SOURCES ${_readers} ${_applet}/config/configuration_file.cpp
    ${_applet}/config/saved_parameter_io.cpp ${_applet}/config/saved_parameters.cpp
    ${_applet}/config/value_block_fields.cpp ${_applet}/params/parameter_catalogue.cpp
    ${_applet}/params/parameter_handlers.cpp ${_applet}/params/initial_values.cpp
    ${_applet}/core/error_codes.cpp)
set(KESTREL_FUZZ_design_image_SOURCES ${_designrt})
# Shading references through the image-file library and the automatic correction; camera images
# through the PNG reader or the image-file library.
set(KESTREL_FUZZ_reference_image_SOURCES ${_regiort} ${_libs}/grabhost5/src/camera_images.cpp
    ${_applet}/correction/reference_image.cpp ${_applet}/correction/automatic_shading.cpp
    ${_applet}/correction/coefficient_images.cpp ${_applet}/core/error_codes.cpp)
set(KESTREL_FUZZ_inspect_conf_SOURCES ${_applet}/params/inspect_settings.cpp ${_applet}/support/locks.cpp
    ${_applet}/platform/platform_posix.cpp)

# Gives `target` the sources, include folders and libraries of fuzz target `name`.
function(kestrel_fuzz_target_inputs target name)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/${name}_fuzzer.cpp ${KESTREL_FUZZ_${name}_SOURCES})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz ${PROJECT_SOURCE_DIR}/applet)
  if(name STREQUAL "design_image")
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/libs/designrt/include
                               ${PROJECT_SOURCE_DIR}/libs/designrt/src)
  elseif(name STREQUAL "reference_image")
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/libs/regiort/include
                               ${PROJECT_SOURCE_DIR}/libs/regiort/src ${PROJECT_SOURCE_DIR}/libs/grabhost5/include
                               ${PROJECT_SOURCE_DIR}/libs/grabhost5/src ${PROJECT_SOURCE_DIR}/libs/boardhw/include)
    find_package(PNG REQUIRED)
    target_link_libraries(${target} PRIVATE PkgConfig::TIFF PNG::PNG hugepages)
    # Images of up to 256 KiB: a header claiming a gigabyte is refused by the same check as in the
    # library, without each such input costing a second of allocating and reading.
    target_compile_definitions(${target} PRIVATE KESTREL_REGIORT_MAX_IMAGE_BYTES=262144)
  endif()
  # The applet's platform layer: threads and the dynamic loader.
  target_link_libraries(${target} PRIVATE Threads::Threads ${CMAKE_DL_LIBS})
endfunction()
