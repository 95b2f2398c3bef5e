# Portable Linux binaries: the plug-in modules and the `resonix` tool carry their own libstdc++,
# libgcc, libpng, zlib and FreeType (and the tool its libsndfile), so they need nothing at run time
# but glibc (2.34 or newer), libm, libX11 and the loader. The release packages ship exactly these
# binaries, so the tests load what players get. Sanitizer builds keep the shared libraries.
if(RESONIX_SANITIZE OR RESONIX_TSAN)
  set(_portable_default OFF)
else()
  set(_portable_default ON)
endif()
option(RESONIX_PORTABLE "Link the plug-ins and the tool for any Linux with glibc 2.34" ${_portable_default})
set(RESONIX_DEPS_DIR ${PROJECT_BINARY_DIR}/deps CACHE PATH "Prefix of the static libsndfile (scripts/setup-portable)")

# resonix_static_lib(VAR NAME): the static archive libNAME.a, from the deps folder first.
function(resonix_static_lib var name)
  find_library(RESONIX_STATIC_${name} lib${name}.a HINTS ${RESONIX_DEPS_DIR}/lib NO_CACHE)
  set(${var} ${RESONIX_STATIC_${name}} PARENT_SCOPE)
endfunction()

# resonix_image_libs: libpng, zlib and FreeType; in a portable build the static archives of the deps
# folder (Debian's own are not position-independent).
add_library(resonix_image_libs INTERFACE)
set(RESONIX_PORTABLE_LIBS OFF)
if(RESONIX_PORTABLE)
  if(EXISTS ${RESONIX_DEPS_DIR}/lib/libfreetype.a AND EXISTS ${RESONIX_DEPS_DIR}/lib/libpng16.a
     AND EXISTS ${RESONIX_DEPS_DIR}/lib/libz.a)
    set(RESONIX_PORTABLE_LIBS ON)
  else()
    message(WARNING "No static libraries in ${RESONIX_DEPS_DIR} (scripts/setup-portable builds them): "
                    "the plug-ins and the tool need the shared ones and cannot be packaged")
  endif()
endif()
if(RESONIX_PORTABLE_LIBS)
  target_link_libraries(resonix_image_libs INTERFACE ${RESONIX_DEPS_DIR}/lib/libfreetype.a
                        ${RESONIX_DEPS_DIR}/lib/libpng16.a ${RESONIX_DEPS_DIR}/lib/libz.a m)
  target_include_directories(resonix_image_libs SYSTEM INTERFACE ${RESONIX_DEPS_DIR}/include
                             ${RESONIX_DEPS_DIR}/include/freetype2)
else()
  find_package(PNG REQUIRED)
  find_package(ZLIB REQUIRED)
  find_package(Freetype REQUIRED)
  target_link_libraries(resonix_image_libs INTERFACE PNG::PNG ZLIB::ZLIB Freetype::Freetype)
endif()

# resonix_make_portable(TARGET): a shipped binary links the C++ runtime statically and binds no
# glibc symbol newer than 2.34.
function(resonix_make_portable target)
  if(NOT RESONIX_PORTABLE)
    return()
  endif()
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/framework/portable/FindObjectCompat.cpp)
  # libgcc's unwinder calls _dl_find_object (glibc 2.35) when it was built against a newer glibc;
  # FindObjectCompat.cpp answers it from dl_iterate_phdr, as the unwinder did before. Dropping
  # unused sections drops libstdc++'s std::random_device, which we never use and which would bind
  # arc4random (glibc 2.36). packaging/check-portable catches any newer symbol that comes back.
  target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc -Wl,--as-needed
                      -Wl,--gc-sections -Wl,--wrap=_dl_find_object)
endfunction()
