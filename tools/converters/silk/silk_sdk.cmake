# The SILK SDK reference sources, pinned in package-lock.json beside this
# file and fetched into build/silk-sdk by fetch-silk-sdk (scripts/setup):
# its src/*.c and interface/ headers, never its example programs nor the ARM
# assembly. Included by the project and by the host tools' own project.
set(SONOTECA_SILK_SDK "${CMAKE_SOURCE_DIR}/build/silk-sdk/node_modules/silk-sdk"
    CACHE PATH "The SILK SDK sources: the folder of the silk-sdk npm package")
if(NOT EXISTS "${SONOTECA_SILK_SDK}/interface/SKP_Silk_SDK_API.h")
  message(FATAL_ERROR "No SILK SDK in ${SONOTECA_SILK_SDK}: run scripts/setup")
endif()
file(GLOB SONOTECA_SILK_SDK_SOURCES CONFIGURE_DEPENDS "${SONOTECA_SILK_SDK}/src/*.c")
file(GLOB SONOTECA_SILK_SDK_HEADERS CONFIGURE_DEPENDS "${SONOTECA_SILK_SDK}/src/*.h"
     "${SONOTECA_SILK_SDK}/interface/*.h")

# sonoteca_silk_sdk(NAME [COMPILE OPTIONS...]): the SDK as a static C library.
# Its own warnings are silenced (third-party code), for its files only; the
# interface headers come in as system headers. Its fixed-point arithmetic
# counts on two's complement wrapping (its "_ovflw" macros): -fwrapv makes
# that defined, the same in every build.
function(sonoteca_silk_sdk name)
  add_library(${name} STATIC ${SONOTECA_SILK_SDK_SOURCES})
  target_include_directories(${name} SYSTEM PUBLIC "${SONOTECA_SILK_SDK}/interface")
  target_include_directories(${name} PRIVATE "${SONOTECA_SILK_SDK}/src")
  target_compile_options(${name} PRIVATE -w -fwrapv ${ARGN})
endfunction()

# The sanitizer options for the SDK: the given ones, less the checks of what
# it does by design on x86: wrapping arithmetic, left shifts of negative
# values and its rotation by 0 (a shift by 32 that x86 reads as by 0).
function(sonoteca_silk_sdk_sanitizers out sanitizers)
  set(${out} -fsanitize=${sanitizers} -fno-sanitize=shift,signed-integer-overflow
      -fno-omit-frame-pointer -fno-sanitize-recover=all PARENT_SCOPE)
endfunction()
