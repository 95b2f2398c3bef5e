# The Windows x64 deliverable, cross-built with mingw-w64 (cmake/mingw-w64-x86_64.cmake):
# build-win/KorvaneResonix.vst3/Contents/{x86_64-win/KorvaneResonix.vst3, Resources/moduleinfo.json},
# with the Win32 editor window, GDI text, and the bitmaps and help pages as resources of the DLL.
# Its test host runs under Wine (tests/win).

set(RESONIX_WIN_DEPS ${PROJECT_BINARY_DIR}/deps CACHE PATH "Prefix of the static libpng (scripts/setup-windows)")
list(APPEND CMAKE_PREFIX_PATH ${RESONIX_WIN_DEPS})
set(PNG_PNG_INCLUDE_DIR ${RESONIX_WIN_DEPS}/include CACHE PATH "")
set(PNG_LIBRARY ${RESONIX_WIN_DEPS}/lib/libpng16.a CACHE FILEPATH "")
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(Threads REQUIRED)
set(_win32_libs user32 gdi32 comdlg32 comctl32 shell32 ole32 uuid advapi32 kernel32 wininet)

set(_src ${PROJECT_SOURCE_DIR})
enable_testing()
set(RESONIX_BUILD_RESOURCES ${PROJECT_BINARY_DIR}/resources CACHE INTERNAL "")

# Raster back-end: everything but the FreeType font, which GDI replaces here.
resonix_glob(_raster ${_src}/raster)
list(FILTER _raster EXCLUDE REGEX "/RasterFont\\.cpp$")
add_library(resonix_raster STATIC ${_raster} ${_src}/framework/graphics/win/RasterFontGdi.cpp)
target_include_directories(resonix_raster PUBLIC ${_src})
target_link_libraries(resonix_raster PUBLIC PNG::PNG ZLIB::ZLIB Threads::Threads gdi32)
target_compile_definitions(resonix_raster PUBLIC
  RESONIX_BUILD_RESOURCES_DIR="${RESONIX_BUILD_RESOURCES}"
  RESONIX_SOURCE_RESOURCES_DIR="${_src}/resources")

# Framework core and graphics core with the Win32 window.
resonix_glob(_core ${_src}/framework/core)
resonix_glob(_graphics ${_src}/framework/graphics)
resonix_glob(_graphics_win ${_src}/framework/graphics/win)
list(FILTER _graphics_win EXCLUDE REGEX "/RasterFontGdi\\.cpp$")
add_library(resonix_core STATIC ${_core})
add_library(resonix_graphics STATIC ${_graphics} ${_graphics_win})
foreach(_lib resonix_core resonix_graphics)
  target_include_directories(${_lib} PUBLIC ${_src})
endforeach()
target_link_libraries(resonix_core PUBLIC resonix_graphics Threads::Threads)
target_link_libraries(resonix_graphics PUBLIC resonix_core resonix_raster ${_win32_libs})

# The engine's numeric classes and the sources of the plug-in class.
add_subdirectory(${_src}/engine ${PROJECT_BINARY_DIR}/engine)
add_subdirectory(${_src}/editor ${PROJECT_BINARY_DIR}/editor)

# The VST3 SDK (the same Debian copy as on Linux) and the adapter.
set(_vst3 ${_src}/framework/hosts/vst3)
set(VST3_SDK_DIR /usr/share/juce/modules/juce_audio_processors/format_types/VST3_SDK
    CACHE PATH "Folder of the VST3 SDK (pluginterfaces, base, public.sdk)")
if(NOT EXISTS ${VST3_SDK_DIR}/pluginterfaces/base/funknown.h)
  message(FATAL_ERROR "VST3 SDK not found in ${VST3_SDK_DIR}; scripts/setup-windows installs it")
endif()
resonix_add_vst3_sdk(${VST3_SDK_DIR} ole32)

add_library(resonix_host_vst3 STATIC
  ${_vst3}/SingleComponentEffect.cpp ${_vst3}/IHostParameter.cpp ${_vst3}/IEffectVST3.cpp ${_vst3}/IEffectVST3Controller.cpp
  ${_vst3}/IEffectVST3View.cpp ${_vst3}/Vst3PluginFactory.cpp)
target_include_directories(resonix_host_vst3 PUBLIC ${_src})
target_link_libraries(resonix_host_vst3 PUBLIC resonix_core resonix_graphics resonix_vst3_sdk)

add_library(resonix_vst3_hosting STATIC ${_vst3}/hosting/Vst3Module.cpp)
target_include_directories(resonix_vst3_hosting PUBLIC ${_src})
target_link_libraries(resonix_vst3_hosting PUBLIC resonix_vst3_sdk)
add_executable(resonix-vst3-moduleinfo ${_vst3}/moduleinfo/ModuleInfoMain.cpp ${_vst3}/moduleinfo/ModuleInfoWriter.cpp)
target_link_libraries(resonix-vst3-moduleinfo PRIVATE resonix_vst3_hosting)

# The plug-in file with its resources.
set(RESONIX_VST3_BUNDLE ${PROJECT_BINARY_DIR}/KorvaneResonix.vst3 CACHE INTERNAL "")
set(_contents ${RESONIX_VST3_BUNDLE}/Contents)
configure_file(${_src}/resources/win/version.h.in ${PROJECT_BINARY_DIR}/resources-win/version.h @ONLY)
set(_rc ${_src}/resources/win/KorvaneResonix.rc)
file(GLOB _rc_inputs CONFIGURE_DEPENDS ${_src}/resources/img/* ${_src}/resources/help/*)
set_source_files_properties(${_rc} PROPERTIES OBJECT_DEPENDS "${_rc_inputs}")

function(resonix_add_win_module)
  resonix_add_instance(resonix_instance_vst3 VST3 resonix_host_vst3 resonix_dsp)
  add_library(KorvaneResonix_vst3 MODULE ${_vst3}/module/KorvaneResonixModule.cpp ${_rc})
  target_include_directories(KorvaneResonix_vst3 PRIVATE ${_src}/resources ${PROJECT_BINARY_DIR}/resources-win)
  target_link_libraries(KorvaneResonix_vst3 PRIVATE resonix_instance_vst3)
  set_target_properties(KorvaneResonix_vst3 PROPERTIES
    OUTPUT_NAME KorvaneResonix PREFIX "" SUFFIX ".vst3"
    LIBRARY_OUTPUT_DIRECTORY ${_contents}/x86_64-win)
  target_link_options(KorvaneResonix_vst3 PRIVATE $<$<CONFIG:Release>:-s>)
  # moduleinfo.json comes from the built module's own factory, read under Wine.
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    add_custom_command(TARGET KorvaneResonix_vst3 POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_contents}/Resources
      COMMAND ${CMAKE_COMMAND} -E env RESONIX_WIN_BUILD=${PROJECT_BINARY_DIR}
              bash ${_src}/tests/win/wine-run --timeout 120 $<TARGET_FILE:resonix-vst3-moduleinfo>
              ${RESONIX_VST3_BUNDLE} KorvaneResonix ${PROJECT_VERSION}.0 ${_contents}/Resources/moduleinfo.json
      VERBATIM)
    add_dependencies(KorvaneResonix_vst3 resonix-vst3-moduleinfo)
  endif()
  add_custom_target(resonix_vst3_bundle ALL DEPENDS KorvaneResonix_vst3)
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL resonix_add_win_module)

if(RESONIX_TESTS)
  add_subdirectory(${_src}/tests/win ${PROJECT_BINARY_DIR}/tests/win)
endif()
