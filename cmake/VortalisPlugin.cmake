# A plug-in library: the module entry, the bindings and the given product sources,
# named without the "lib" prefix (Vortalis.so, Vortalis.dll), exporting only the
# entry points (the version script on Linux, dllexport on Windows), and laid out as
# a VST 3 bundle next to it by a post-build step:
#   <name>.vst3/Contents/x86_64-linux/<name>.so
#   <name>.vst3/Contents/x86_64-win/<name>.vst3
#   <name>.vst3/Contents/Resources/moduleinfo.json
set(VORTALIS_PLUGIN_FOLDER ${CMAKE_BINARY_DIR}/plugins)
include(${CMAKE_CURRENT_LIST_DIR}/ModuleIdentity.cmake)

function(vortalis_plugin name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK;INCLUDE" ${ARGN})
  add_library(${name} SHARED ${PROJECT_SOURCE_DIR}/src/shell/YLibraryEntry.cpp ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${VORTALIS_GENERATED_FOLDER} ${ARG_INCLUDE})
  target_link_libraries(${name} PRIVATE vortalis_bindings ${ARG_LINK} vortalis_warnings)
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${VORTALIS_PLUGIN_FOLDER}
    RUNTIME_OUTPUT_DIRECTORY ${VORTALIS_PLUGIN_FOLDER}
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  if(WIN32)
    set(bundle_binary ${VORTALIS_PLUGIN_FOLDER}/${name}.vst3/Contents/x86_64-win/${name}.vst3)
  else()
    target_link_options(${name} PRIVATE
      -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/plugin-exports.map -Wl,-z,defs)
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/plugin-exports.map)
    set(bundle_binary ${VORTALIS_PLUGIN_FOLDER}/${name}.vst3/Contents/x86_64-linux/${name}.so)
  endif()
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${name}> ${bundle_binary}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VORTALIS_GENERATED_FOLDER}/moduleinfo.json
            ${VORTALIS_PLUGIN_FOLDER}/${name}.vst3/Contents/Resources/moduleinfo.json
    COMMENT "Bundle ${name}.vst3")
endfunction()
