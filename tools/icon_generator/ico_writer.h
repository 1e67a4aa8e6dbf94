// The Windows icon file format (.ico): a directory of images, each a 32-bit
// device-independent bitmap with its AND mask, as every Windows version
// since XP reads them.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/icon_generator/icon_artwork.h"

namespace icon_generator {

// The bytes of an .ico file holding `images` in their order. Sizes must be
// 1 to 256 pixels.
std::vector<uint8_t> WriteIco(const std::vector<Image>& images);

}  // namespace icon_generator
