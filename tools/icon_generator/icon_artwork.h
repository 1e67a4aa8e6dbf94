// The program's icon, drawn from shapes: a green speech bubble holding the
// bars of a sound wave. Any square size can be drawn; small sizes use fewer,
// wider bars so that they stay readable.
#pragma once

#include <cstdint>
#include <vector>

namespace icon_generator {

// One square image, rows from the top, each pixel red, green, blue, alpha
// (straight, not premultiplied alpha).
struct Image {
  int32_t size = 0;
  std::vector<uint8_t> rgba;
};

Image DrawIcon(int32_t size);

}  // namespace icon_generator
