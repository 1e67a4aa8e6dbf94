// Draws the program's icon and writes it as an .ico file:
// icon_generator OUTPUT.ico [PREVIEW.ppm]
// The sizes are the small and large icons at 96 and 144 DPI (16, 24, 32, 48).
// The optional preview shows every size side by side on a grey ground.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/icon_generator/ico_writer.h"
#include "tools/icon_generator/icon_artwork.h"

namespace {

bool WriteFile(const char* path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

std::vector<uint8_t> Preview(const std::vector<icon_generator::Image>& images) {
  int width = 0, height = 0;
  for (const auto& image : images) {
    width += image.size + 8;
    if (image.size > height) height = image.size;
  }
  height += 8;
  std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  std::vector<uint8_t> out(header.begin(), header.end());
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3, 0xC0);
  int left = 4;
  for (const auto& image : images) {
    for (int y = 0; y < image.size; ++y) {
      for (int x = 0; x < image.size; ++x) {
        const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.size + x) * 4];
        uint8_t* q = &pixels[(static_cast<size_t>(y + 4) * width + left + x) * 3];
        for (int c = 0; c < 3; ++c) q[c] = static_cast<uint8_t>((p[c] * p[3] + q[c] * (255 - p[3])) / 255);
      }
    }
    left += image.size + 8;
  }
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: icon_generator OUTPUT.ico [PREVIEW.ppm]\n");
    return 2;
  }
  std::vector<icon_generator::Image> images;
  for (int size : {16, 24, 32, 48}) images.push_back(icon_generator::DrawIcon(size));
  if (!WriteFile(argv[1], icon_generator::WriteIco(images))) {
    std::fprintf(stderr, "icon_generator: cannot write %s\n", argv[1]);
    return 1;
  }
  if (argc == 3 && !WriteFile(argv[2], Preview(images))) {
    std::fprintf(stderr, "icon_generator: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
