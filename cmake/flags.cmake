# Compiler settings of the two kinds of build.
set(warnings -Wall -Wextra)
if(VANTORIL_WERROR)
  list(APPEND warnings -Werror)
endif()
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:${warnings}>")

if(WIN32)
  # Windows XP headers: nothing later is called without a run-time look-up.
  add_compile_definitions(_WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600 UNICODE _UNICODE
                          NOMINMAX STRICT TIXML_USE_STL CURL_STATICLIB)
  add_link_options(-static -static-libgcc -static-libstdc++)
else()
  add_compile_definitions(TIXML_USE_STL)
  set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  option(VANTORIL_SANITIZE "Build the host tree with AddressSanitizer and UBSan" ON)
  if(VANTORIL_FUZZ)
    # Every library is instrumented for coverage; only the fuzz targets link the fuzzer's main.
    list(APPEND sanitizers -fsanitize=fuzzer-no-link)
  endif()
  if(VANTORIL_SANITIZE)
    add_compile_options(${sanitizers})
    add_link_options(${sanitizers})
  endif()
endif()

# Compiler cache where the machine has one: paths under the checkout's parent folder are
# hashed as relative ones, so checkouts side by side share their objects.
find_program(VANTORIL_CCACHE ccache)
if(VANTORIL_CCACHE AND NOT VANTORIL_FUZZ)
  get_filename_component(checkouts "${PROJECT_SOURCE_DIR}" DIRECTORY)
  set(launcher ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${checkouts} CCACHE_NOHASHDIR=1
      CCACHE_SLOPPINESS=time_macros ${VANTORIL_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${launcher})
endif()
