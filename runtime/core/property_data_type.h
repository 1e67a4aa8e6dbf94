// The data types of type-specific properties, numbered 1000 to 1024. Each
// unit type lists one for each of its properties; it decides how a value
// read or written through ReadProperty and WriteProperty is converted. Where
// a number has no meaning beyond its conversion, its name says only that.
#pragma once

#include <cstdint>

namespace rt {

enum PropertyDataType : int32_t {
  kDataTypeNone = 0,  // no such property: converted as a text
  // A 32-bit number.
  kDataTypeInt = 1000,
  kDataTypeColour = 1001,          // 0x00BBGGRR, or a system colour
  kDataTypeNonNegativeInt = 1006,  // a negative value written becomes 0
  kDataTypeInt1014 = 1014,
  kDataTypeInt1015 = 1015,
  kDataTypeInt1017 = 1017,
  // A 64-bit number: both words.
  kDataType64Bit1002 = 1002,
  kDataType64Bit1004 = 1004,
  // Reads as true only for a stored 1; any nonzero value writes 1.
  kDataTypeBool = 1003,
  // Bytes, handed over as a byte buffer.
  kDataTypeByteBuffer = 1009,
  kDataTypeBytes1010 = 1010,
  kDataTypeBytes1012 = 1012,
  kDataTypeBytes1023 = 1023,
  kDataTypeBytes1024 = 1024,
  kDataTypeMousePointer = 1011,  // bytes whose first word is a pointer code
  kDataTypeFont = 1013,          // a LOGFONTA record, also read and written by attribute
  // A text: 1005 and the rest of the range.
  kDataTypeText = 1005,
  kDataTypeText1007 = 1007,
  kDataTypeText1008 = 1008,
  kDataTypeText1016 = 1016,
  kDataTypeText1018 = 1018,
  kDataTypeText1019 = 1019,
  kDataTypeText1020 = 1020,
  kDataTypeText1021 = 1021,
  kDataTypeText1022 = 1022,
};

}  // namespace rt
