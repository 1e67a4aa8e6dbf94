#include "tools/icon_generator/ico_writer.h"

#include <cstddef>

namespace icon_generator {
namespace {

constexpr uint32_t kDirectoryHeaderSize = 6;
constexpr uint32_t kDirectoryEntrySize = 16;
constexpr uint32_t kBitmapHeaderSize = 40;  // BITMAPINFOHEADER

void Put16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// Mask rows are whole 32-bit words.
uint32_t MaskRowBytes(int32_t size) { return ((static_cast<uint32_t>(size) + 31) / 32) * 4; }

uint32_t ImageBytes(const Image& image) {
  const uint32_t n = static_cast<uint32_t>(image.size);
  return kBitmapHeaderSize + n * n * 4 + MaskRowBytes(image.size) * n;
}

void PutBitmap(std::vector<uint8_t>* out, const Image& image) {
  const int32_t n = image.size;
  Put32(out, kBitmapHeaderSize);
  Put32(out, static_cast<uint32_t>(n));
  Put32(out, static_cast<uint32_t>(n * 2));  // colour rows and mask rows
  Put16(out, 1);                             // planes
  Put16(out, 32);                            // bits per pixel
  Put32(out, 0);                             // BI_RGB
  Put32(out, ImageBytes(image) - kBitmapHeaderSize);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  // Bottom row first, each pixel blue, green, red, alpha.
  for (int32_t y = n - 1; y >= 0; --y) {
    for (int32_t x = 0; x < n; ++x) {
      const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * n + x) * 4];
      out->push_back(p[2]);
      out->push_back(p[1]);
      out->push_back(p[0]);
      out->push_back(p[3]);
    }
  }
  // The mask marks fully transparent pixels, for readers that ignore alpha.
  for (int32_t y = n - 1; y >= 0; --y) {
    std::vector<uint8_t> row(MaskRowBytes(n), 0);
    for (int32_t x = 0; x < n; ++x) {
      if (image.rgba[(static_cast<size_t>(y) * n + x) * 4 + 3] == 0) {
        row[static_cast<size_t>(x) / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
    }
    out->insert(out->end(), row.begin(), row.end());
  }
}

}  // namespace

std::vector<uint8_t> WriteIco(const std::vector<Image>& images) {
  std::vector<uint8_t> out;
  Put16(&out, 0);  // reserved
  Put16(&out, 1);  // an icon, not a cursor
  Put16(&out, static_cast<uint32_t>(images.size()));
  uint32_t offset = kDirectoryHeaderSize + kDirectoryEntrySize * static_cast<uint32_t>(images.size());
  for (const Image& image : images) {
    const uint8_t side = static_cast<uint8_t>(image.size == 256 ? 0 : image.size);  // 0 means 256
    out.push_back(side);
    out.push_back(side);
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(&out, 1);   // planes
    Put16(&out, 32);  // bits per pixel
    Put32(&out, ImageBytes(image));
    Put32(&out, offset);
    offset += ImageBytes(image);
  }
  for (const Image& image : images) PutBitmap(&out, image);
  return out;
}

}  // namespace icon_generator
