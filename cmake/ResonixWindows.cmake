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

# Framework core and graphics core with the Win32 window, and the off-screen editor resonix.exe draws.
resonix_glob(_core ${_src}/framework/core)
resonix_glob(_graphics ${_src}/framework/graphics)
resonix_glob(_graphics_win ${_src}/framework/graphics/win)
resonix_glob(_graphics_headless ${_src}/framework/graphics/headless)
list(FILTER _graphics_win EXCLUDE REGEX "/RasterFontGdi\\.cpp$")
add_library(resonix_core STATIC ${_core})
add_library(resonix_graphics STATIC ${_graphics} ${_graphics_win} ${_graphics_headless})
foreach(_lib resonix_core resonix_graphics)
  target_include_directories(${_lib} PUBLIC ${_src})
endforeach()
target_link_libraries(resonix_core PUBLIC resonix_graphics Threads::Threads)
# The plug-in's description record, read by the window; plugin/ links its definition in.
add_library(resonix_plug_description INTERFACE)
target_link_libraries(resonix_graphics PUBLIC resonix_core resonix_raster resonix_plug_description ${_win32_libs})
# Paths are UTF-8 text here as everywhere; engine/FilePath turns them into Windows' wide ones.
target_link_libraries(resonix_graphics PUBLIC resonix_dsp)

# The engine's numeric classes and the editor's controls; plugin/ adds the plug-in class.
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
target_link_libraries(resonix_host_vst3 PUBLIC resonix_core resonix_graphics resonix_plug_description resonix_vst3_sdk)

add_library(resonix_vst3_hosting STATIC ${_vst3}/hosting/Vst3Module.cpp)
target_include_directories(resonix_vst3_hosting PUBLIC ${_src})
target_link_libraries(resonix_vst3_hosting PUBLIC resonix_vst3_sdk)
add_executable(resonix-vst3-moduleinfo ${_vst3}/moduleinfo/ModuleInfoMain.cpp ${_vst3}/moduleinfo/ModuleInfoWriter.cpp)
target_link_libraries(resonix-vst3-moduleinfo PRIVATE resonix_vst3_hosting)

# The plug-in's own glue and its bundle.
add_subdirectory(${_src}/plugin ${PROJECT_BINARY_DIR}/plugin)

# resonix.exe: the instance on the headless adapter, as on Linux.
resonix_glob(_headless ${_src}/framework/hosts/headless)
add_library(resonix_host_headless STATIC ${_headless})
target_include_directories(resonix_host_headless PUBLIC ${_src})
target_link_libraries(resonix_host_headless PUBLIC resonix_core resonix_graphics)
resonix_add_instance(resonix_instance_headless HEADLESS resonix_host_headless resonix_editor resonix_dsp resonix_plug_description)
add_subdirectory(${_src}/tools/resonix ${PROJECT_BINARY_DIR}/tools/resonix)

if(RESONIX_TESTS)
  add_subdirectory(${_src}/tests/win ${PROJECT_BINARY_DIR}/tests/win)
endif()
