# Helpers that keep the per-folder CMakeLists short.

# resonix_glob(VAR DIR): the C++ sources of one folder (not recursive).
function(resonix_glob var dir)
  file(GLOB _sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(${var} ${_sources} PARENT_SCOPE)
endfunction()

# resonix_add_gtest(NAME DIR LIBS...): one GoogleTest binary from every .cpp of DIR,
# registered with ctest. Tests never see the real home folder.
function(resonix_add_gtest name dir)
  find_package(GTest REQUIRED)
  resonix_glob(_sources ${dir})
  if(NOT _sources)
    return()
  endif()
  add_executable(${name} ${_sources} ${PROJECT_SOURCE_DIR}/tests/support/PrivateHome.cpp)
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    RESONIX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    RESONIX_BINARY_DIR="${PROJECT_BINARY_DIR}")
  set(_home ${PROJECT_BINARY_DIR}/test-home/${name})
  file(MAKE_DIRECTORY ${_home})
  include(GoogleTest)
  # A folder whose tests open windows on the shared test display sets RESONIX_GTEST_LOCK: one of them
  # changes the display's Xft.dpi for a moment, which every editor opened meanwhile would read.
  set(_lock)
  if(RESONIX_GTEST_LOCK)
    set(_lock RESOURCE_LOCK ${RESONIX_GTEST_LOCK})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "HOME=${_home};RESONIX_SOURCE_DIR=${PROJECT_SOURCE_DIR};RESONIX_BINARY_DIR=${PROJECT_BINARY_DIR}"
               ${_lock}
    TIMEOUT 600)
endfunction()

# resonix_add_bench(NAME SOURCES... LIBS ...): a Google Benchmark binary run by `make bench`.
function(resonix_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/bench)
  set_property(GLOBAL APPEND PROPERTY RESONIX_BENCHMARKS ${name})
endfunction()

# resonix_add_instance(NAME HOST LIBS...): the plug-in class IResonix (plugin/IResonix*.cpp)
# compiled for one host adapter: HEADLESS, VST3 or VST2.
function(resonix_add_instance name host)
  get_property(_sources GLOBAL PROPERTY RESONIX_INSTANCE_SOURCES)
  add_library(${name} STATIC ${_sources})
  target_compile_definitions(${name} PUBLIC RESONIX_HOST_${host}=1)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# resonix_add_resource_copy(TARGET DEST): a target that copies the editor bitmaps, help pages and
# fonts into DEST (a plug-in's resource folder); they are small, so it runs on every build.
function(resonix_add_resource_copy target dest)
  set(_copy COMMAND ${CMAKE_COMMAND} -E make_directory ${dest}/fonts)
  foreach(_dir img help)
    if(EXISTS ${RESONIX_RESOURCES_DIR}/${_dir})
      list(APPEND _copy COMMAND ${CMAKE_COMMAND} -E copy_directory ${RESONIX_RESOURCES_DIR}/${_dir} ${dest}/${_dir})
    endif()
  endforeach()
  foreach(_font ${RESONIX_FONT_FILES})
    list(APPEND _copy COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_font} ${dest}/fonts/)
  endforeach()
  add_custom_target(${target} ${_copy} VERBATIM)
endfunction()

# resonix_add_vst3_sdk(SDK_DIR LIBS...): the VST3 SDK's interface and base-class sources as one static
# library, resonix_vst3_sdk, with our definitions of the ids the SDK only declares. Its own warnings
# are not ours to fix.
function(resonix_add_vst3_sdk sdk)
  file(GLOB _sdk
    ${sdk}/base/source/*.cpp
    ${sdk}/base/thread/source/flock.cpp
    ${sdk}/pluginterfaces/base/*.cpp
    ${sdk}/public.sdk/source/vst/*.cpp
    ${sdk}/public.sdk/source/common/*.cpp)
  add_library(resonix_vst3_sdk STATIC ${_sdk} ${PROJECT_SOURCE_DIR}/framework/hosts/vst3/Vst3InterfaceIds.cpp)
  target_include_directories(resonix_vst3_sdk SYSTEM PUBLIC ${sdk})
  target_compile_definitions(resonix_vst3_sdk PUBLIC RELEASE=1)
  target_compile_options(resonix_vst3_sdk PRIVATE -w)
  target_link_libraries(resonix_vst3_sdk PUBLIC Threads::Threads ${ARGN})
endfunction()
