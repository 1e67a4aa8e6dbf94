#include "tools/icon_generator/icon_artwork.h"

#include <algorithm>
#include <cstddef>
#include <cmath>

namespace icon_generator {
namespace {

// Shapes are laid out on a 48 x 48 canvas and scaled to the wanted size.
constexpr double kCanvas = 48.0;
// Samples per pixel along each axis: 64 samples give smooth edges.
constexpr int kSamples = 8;

struct Colour {
  double r, g, b;
};

constexpr Colour kFillTop = {0x43, 0xC2, 0x84};
constexpr Colour kFillBottom = {0x1B, 0x8A, 0x55};
constexpr Colour kOutline = {0x0F, 0x5C, 0x37};
constexpr Colour kWave = {0xFF, 0xFF, 0xFF};

struct Point {
  double x, y;
};

double Length(double x, double y) { return std::sqrt(x * x + y * y); }

// Signed distance from p to a rectangle with rounded corners (negative inside).
double RoundedRectDistance(Point p, double left, double top, double right, double bottom, double radius) {
  const double cx = (left + right) / 2, cy = (top + bottom) / 2;
  const double hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
  const double qx = std::fabs(p.x - cx) - hx, qy = std::fabs(p.y - cy) - hy;
  return Length(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

// Signed distance from p to the triangle a, b, c.
double TriangleDistance(Point p, Point a, Point b, Point c) {
  const Point corners[3] = {a, b, c};
  double nearest = 1e9;
  double sign_sum = 0;
  for (int i = 0; i < 3; ++i) {
    const Point u = corners[i], v = corners[(i + 1) % 3];
    const double ex = v.x - u.x, ey = v.y - u.y;
    const double wx = p.x - u.x, wy = p.y - u.y;
    const double t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0, 1.0);
    nearest = std::min(nearest, Length(wx - ex * t, wy - ey * t));
    sign_sum += (ex * wy - ey * wx) > 0 ? 1 : -1;
  }
  const bool inside = sign_sum == 3 || sign_sum == -3;
  return inside ? -nearest : nearest;
}

// The bubble: a rounded body with a tail at its lower left.
double BubbleDistance(Point p) {
  const double body = RoundedRectDistance(p, 3, 5, 45, 36, 9);
  const double tail = TriangleDistance(p, {10, 30}, {21, 34}, {7, 45});
  return std::min(body, tail);
}

struct Bar {
  double centre_x, height;
};

// The sound wave: bars of the wave's loudness, highest in the middle. Their
// sides fall on whole pixels so that they stay sharp at every size.
bool InWave(Point p, int32_t size) {
  static const Bar kWideBars[] = {{14.5, 11}, {24, 22}, {33.5, 11}};
  static const Bar kBars[] = {{12.5, 8}, {18.25, 16}, {24, 23}, {29.75, 16}, {35.5, 8}};
  const bool few = size < 24;
  const Bar* bars = few ? kWideBars : kBars;
  const int count = few ? 3 : 5;
  const double pixel = kCanvas / size;
  const double width = std::max(1.0, std::round((few ? 6.0 : 3.4) / pixel)) * pixel;
  for (int i = 0; i < count; ++i) {
    const double left = std::round((bars[i].centre_x - width / 2) / pixel) * pixel;
    const double half = bars[i].height / 2;
    if (RoundedRectDistance(p, left, 20.5 - half, left + width, 20.5 + half, width / 2) < 0) return true;
  }
  return false;
}

uint8_t Byte(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); }

}  // namespace

Image DrawIcon(int32_t size) {
  Image image;
  image.size = size;
  image.rgba.assign(static_cast<size_t>(size) * static_cast<size_t>(size) * 4, 0);
  const double scale = kCanvas / size;  // canvas units per pixel
  // The outline stays about one pixel wide at every size.
  const double outline = std::max(1.0, size / 32.0) * scale;
  for (int32_t y = 0; y < size; ++y) {
    for (int32_t x = 0; x < size; ++x) {
      double r = 0, g = 0, b = 0, covered = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const Point p = {(x + (sx + 0.5) / kSamples) * scale, (y + (sy + 0.5) / kSamples) * scale};
          const double d = BubbleDistance(p);
          if (d >= 0) continue;
          Colour c;
          if (d > -outline) {
            c = kOutline;
          } else if (InWave(p, size)) {
            c = kWave;
          } else {
            const double t = std::clamp((p.y - 5) / 40, 0.0, 1.0);
            c = {kFillTop.r + (kFillBottom.r - kFillTop.r) * t, kFillTop.g + (kFillBottom.g - kFillTop.g) * t,
                 kFillTop.b + (kFillBottom.b - kFillTop.b) * t};
          }
          r += c.r;
          g += c.g;
          b += c.b;
          covered += 1;
        }
      }
      uint8_t* out = &image.rgba[(static_cast<size_t>(y) * size + x) * 4];
      if (covered == 0) continue;
      out[0] = Byte(r / covered);
      out[1] = Byte(g / covered);
      out[2] = Byte(b / covered);
      out[3] = Byte(255.0 * covered / (kSamples * kSamples));
    }
  }
  return image;
}

}  // namespace icon_generator
