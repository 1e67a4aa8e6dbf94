# The converters that ship, built outside CMake from Debian's source
# packages by tools/converters/ffmpeg/build-ffmpeg (scripts/build runs it):
# ffmpeg.exe goes beside sonoteca.exe, and LAME (with its decoder) lets the
# tests decode the MP3s they check.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(sonoteca_converter_arch i686)
else()
  set(sonoteca_converter_arch x86_64)
endif()
# The same folder as build-ffmpeg's SONOTECA_CONVERTERS_DIR.
set(SONOTECA_CONVERTERS_DIR "${CMAKE_SOURCE_DIR}/build/converters"
    CACHE PATH "where tools/converters/ffmpeg/build-ffmpeg leaves ffmpeg.exe and LAME, by architecture")
set(converters_arch_dir ${SONOTECA_CONVERTERS_DIR}/${sonoteca_converter_arch})
set(lame_library ${converters_arch_dir}/lame/lib/libmp3lame.a)
set(shipped_ffmpeg ${converters_arch_dir}/ffmpeg.exe)
foreach(f ${lame_library} ${shipped_ffmpeg})
  if(NOT EXISTS ${f})
    message(FATAL_ERROR "${f} is missing: run scripts/build "
                        "(or tools/converters/ffmpeg/build-ffmpeg ${sonoteca_converter_arch})")
  endif()
endforeach()

add_library(sonoteca_lame STATIC IMPORTED GLOBAL)
set_target_properties(sonoteca_lame PROPERTIES
  IMPORTED_LOCATION ${lame_library}
  INTERFACE_INCLUDE_DIRECTORIES ${converters_arch_dir}/lame/include)

# Beside sonoteca.exe, as in the release.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/app/ffmpeg.exe
                   COMMAND ${CMAKE_COMMAND} -E copy ${shipped_ffmpeg} ${CMAKE_BINARY_DIR}/app/ffmpeg.exe
                   DEPENDS ${shipped_ffmpeg}
                   COMMENT "ffmpeg.exe beside sonoteca.exe" VERBATIM)
add_custom_target(shipped_ffmpeg ALL DEPENDS ${CMAKE_BINARY_DIR}/app/ffmpeg.exe)
