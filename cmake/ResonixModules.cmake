# A plug-in's deliverables from its instance libraries: the VST3 bundle and the VST2 module with
# their resources. The plug-in's own CMakeLists.txt calls these with its names.

set(RESONIX_VST3_MODULE_DIR ${PROJECT_SOURCE_DIR}/framework/hosts/vst3/module)
set(RESONIX_VST2_DIR ${PROJECT_SOURCE_DIR}/framework/hosts/vst2)

# resonix_add_vst3_bundle(TARGET NAME name VERSION x.y.z.w INSTANCE lib [SOURCES ...]):
# build/NAME.vst3/Contents/{<arch>/NAME.so (x86_64-win/NAME.vst3 on Windows), Resources/}, with
# moduleinfo.json written from the built module's own factory, so the two always agree. Defines the
# target resonix_vst3_bundle and RESONIX_VST3_BUNDLE, which the test hosts load.
function(resonix_add_vst3_bundle target)
  cmake_parse_arguments(M "" "NAME;VERSION;INSTANCE" "SOURCES" ${ARGN})
  set(_bundle ${PROJECT_BINARY_DIR}/${M_NAME}.vst3)
  set(RESONIX_VST3_BUNDLE ${_bundle} CACHE INTERNAL "")
  set(_res ${_bundle}/Contents/Resources)
  add_library(${target} MODULE ${RESONIX_VST3_MODULE_DIR}/Vst3ModuleMain.cpp ${M_SOURCES})
  target_link_libraries(${target} PRIVATE ${M_INSTANCE})

  if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    # Bitmaps and help pages are resources of the DLL itself (M_SOURCES carries the .rc).
    set_target_properties(${target} PROPERTIES
      OUTPUT_NAME ${M_NAME} PREFIX "" SUFFIX ".vst3"
      LIBRARY_OUTPUT_DIRECTORY ${_bundle}/Contents/x86_64-win)
    target_link_options(${target} PRIVATE $<$<CONFIG:Release>:-s>)
    # The factory is read under Wine.
    if(CMAKE_CROSSCOMPILING_EMULATOR)
      add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_res}
        COMMAND ${CMAKE_COMMAND} -E env RESONIX_WIN_BUILD=${PROJECT_BINARY_DIR}
                bash ${PROJECT_SOURCE_DIR}/tests/win/wine-run --timeout 120 $<TARGET_FILE:resonix-vst3-moduleinfo>
                ${_bundle} ${M_NAME} ${M_VERSION} ${_res}/moduleinfo.json
        VERBATIM)
      add_dependencies(${target} resonix-vst3-moduleinfo)
    endif()
    add_custom_target(resonix_vst3_bundle ALL DEPENDS ${target})
    return()
  endif()

  resonix_make_portable(${target})
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${M_NAME} PREFIX "" SUFFIX ".so"
    LIBRARY_OUTPUT_DIRECTORY ${_bundle}/Contents/${CMAKE_SYSTEM_PROCESSOR}-linux
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${RESONIX_VST3_MODULE_DIR}/exports.map)
  # Only the entry points leave the module; everything else stays private to it.
  target_link_options(${target} PRIVATE
    -Wl,--version-script=${RESONIX_VST3_MODULE_DIR}/exports.map -Wl,--exclude-libs,ALL)
  if(NOT RESONIX_SANITIZE AND NOT RESONIX_TSAN)
    target_link_options(${target} PRIVATE -Wl,-z,defs)
  endif()

  # Resources: editor bitmaps, help pages and fonts, copied on every build (they are small).
  resonix_add_resource_copy(resonix_vst3_resources ${_res})

  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_res}
    COMMAND resonix-vst3-moduleinfo ${_bundle} ${M_NAME} ${M_VERSION} ${_res}/moduleinfo.json
    VERBATIM)
  add_dependencies(${target} resonix-vst3-moduleinfo)
  add_custom_target(resonix_vst3_bundle ALL DEPENDS ${target} resonix_vst3_resources)
endfunction()

# resonix_add_vst2_module(TARGET NAME name INSTANCE lib [SOURCES ...]): build/NAME.so with its resources beside it
# in build/NAME.resources, where the module looks first.
function(resonix_add_vst2_module target)
  cmake_parse_arguments(M "" "NAME;INSTANCE" "SOURCES" ${ARGN})
  add_library(${target} MODULE ${RESONIX_VST2_DIR}/VSTPluginMain.cpp ${M_SOURCES})
  target_link_libraries(${target} PRIVATE ${M_INSTANCE} ${CMAKE_DL_LIBS})
  resonix_make_portable(${target})
  # Only the two entry points are visible to the host; everything linked in stays private, so
  # two plug-ins built on the same framework never mix their classes in one process.
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${M_NAME}
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${RESONIX_VST2_DIR}/exports.map)
  target_link_options(${target} PRIVATE
    -Wl,--version-script=${RESONIX_VST2_DIR}/exports.map
    -Wl,--exclude-libs,ALL)
  if(NOT RESONIX_SANITIZE AND NOT RESONIX_TSAN)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()

  resonix_add_resource_copy(resonix_vst2_resources ${PROJECT_BINARY_DIR}/${M_NAME}.resources)
  add_dependencies(${target} resonix_vst2_resources)
endfunction()

# resonix_add_lv2_bundle(TARGET NAME name INSTANCE lib HEADLESS lib [SOURCES ...]): build/NAME.lv2 with
# NAME.so (the plug-ins and their editor), manifest.ttl and NAME.ttl written by the TTL writer from a
# headless instance of the same plug-in, and the editor's resources. Defines RESONIX_LV2_BUNDLE.
set(RESONIX_LV2_DIR ${PROJECT_SOURCE_DIR}/framework/hosts/lv2)
function(resonix_add_lv2_bundle target)
  cmake_parse_arguments(M "" "NAME;INSTANCE;HEADLESS" "SOURCES" ${ARGN})
  set(_bundle ${PROJECT_BINARY_DIR}/${M_NAME}.lv2)
  set(RESONIX_LV2_BUNDLE ${_bundle} CACHE INTERNAL "")
  add_library(${target} MODULE ${RESONIX_LV2_DIR}/Lv2Entry.cpp ${M_SOURCES})
  target_link_libraries(${target} PRIVATE ${M_INSTANCE} ${CMAKE_DL_LIBS})
  resonix_make_portable(${target})
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${M_NAME} PREFIX "" SUFFIX ".so"
    LIBRARY_OUTPUT_DIRECTORY ${_bundle}
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${RESONIX_LV2_DIR}/exports.map)
  target_link_options(${target} PRIVATE
    -Wl,--version-script=${RESONIX_LV2_DIR}/exports.map -Wl,--exclude-libs,ALL)
  if(NOT RESONIX_SANITIZE AND NOT RESONIX_TSAN)
    target_link_options(${target} PRIVATE -Wl,-z,defs)
  endif()

  add_executable(resonix-lv2-ttl ${RESONIX_LV2_DIR}/Lv2TtlTool.cpp ${M_SOURCES})
  target_link_libraries(resonix-lv2-ttl PRIVATE ${M_HEADLESS} resonix_lv2_layout)
  # The writer makes a headless instance, which makes its presets folder: never in the real home.
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/lv2-ttl-home
    COMMAND ${CMAKE_COMMAND} -E env HOME=${PROJECT_BINARY_DIR}/lv2-ttl-home
            $<TARGET_FILE:resonix-lv2-ttl> ${_bundle} ${M_NAME}.so
    VERBATIM)
  add_dependencies(${target} resonix-lv2-ttl)

  resonix_add_resource_copy(resonix_lv2_resources ${_bundle}/resources)
  add_custom_target(resonix_lv2_bundle ALL DEPENDS ${target} resonix_lv2_resources)
endfunction()
