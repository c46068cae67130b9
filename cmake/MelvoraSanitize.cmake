# Checked builds, each in a build folder of its own:
#   -DMELVORA_SANITIZE=ON  AddressSanitizer + UndefinedBehaviorSanitizer (with
#                          leak detection) in every target; any report fails.
#   -DMELVORA_FUZZ=ON      the same, plus libFuzzer coverage in every library and
#                          the fuzz targets of tests/fuzz (clang only).
option(MELVORA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(MELVORA_FUZZ "Build the libFuzzer targets (clang)" OFF)

if(MELVORA_SANITIZE OR MELVORA_FUZZ)
  if(MSVC)
    message(FATAL_ERROR "The sanitizer and fuzz builds need GCC or clang")
  endif()
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(MELVORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "MELVORA_FUZZ needs clang: -DCMAKE_CXX_COMPILER=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
