# cmake -DHEADER=SKP_Silk_SDK_API.h -DOUT=SILK-SDK-NOTICE.txt -P write-notice.cmake
# The SILK SDK's licence, as the header comment of its API header states it,
# without the comment's frame of asterisks: the notice a release must carry.
file(READ "${HEADER}" text)
string(FIND "${text}" "*/" end)
if(end LESS 0 OR NOT text MATCHES "^/\\*")
  message(FATAL_ERROR "${HEADER}: no licence comment at its top")
endif()
string(SUBSTRING "${text}" 0 ${end} comment)
string(REPLACE "\r" "" comment "${comment}")
string(REGEX REPLACE "^/\\*+\n" "" comment "${comment}")
string(REGEX REPLACE "\n\\*+$" "" comment "${comment}")
string(REGEX REPLACE "[ \t]+\n" "\n" comment "${comment}")
if(NOT comment MATCHES "Skype Limited" OR NOT comment MATCHES "PATENT RIGHTS")
  message(FATAL_ERROR "${HEADER}: the top comment is not the Skype licence")
endif()
file(WRITE "${OUT}" "The SILK codec (SILK SDK reference sources, npm package silk-sdk):\n\n${comment}\n")
