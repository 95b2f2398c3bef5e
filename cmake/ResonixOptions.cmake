# Compiler flags shared by every target of the project.
add_compile_options(-Wall -Wextra -Wno-unused-parameter)
# g++ 12 reports inlined std::string and std::vector internals at -O2 as overlapping or overflowing
# copies (known g++ 12 false positives, e.g. GCC bug 105329); the code is the standard library's own.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict -Wno-stringop-overflow)
endif()
# Bit-identical DSP on every x86-64 CPU: no fused multiply-add contraction, no fast-math.
add_compile_options(-ffp-contract=off -fno-fast-math)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64")
  add_compile_options(-march=x86-64 -mtune=generic)
endif()

if(RESONIX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(RESONIX_FUZZ)
  # Coverage for libFuzzer in every library but the numeric kernels; only the fuzz targets link its driver.
  add_compile_options(-fsanitize=fuzzer-no-link
    -fsanitize-coverage-ignorelist=${CMAKE_CURRENT_LIST_DIR}/../fuzz/coverage-ignore.txt)
endif()
if(RESONIX_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
