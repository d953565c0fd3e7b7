#include "app/DrawingLogo.h"

#include <cmath>
#include <cstdlib>

namespace logo {

namespace {

struct Colour {
  double r = 0, g = 0, b = 0, a = 0;
};

constexpr double kCentreX = kWidth / 2.0;
constexpr double kTop = 6, kShoulder = 52, kPoint = 90, kHalfWidth = 34;

// Inside the shield shrunk by `inset` pixels: straight sides down to the
// shoulder, then narrowing to the point along a parabola.
bool InShield(double x, double y, double inset) {
  const double top = kTop + inset, point = kPoint - 1.5 * inset, half = kHalfWidth - inset;
  if (y < top || y > point) return false;
  double width = half;
  if (y > kShoulder) {
    const double t = (y - kShoulder) / (point - kShoulder);
    width = half * (1 - t * t);
  }
  return std::abs(x - kCentreX) <= width;
}

// The chip: a dark square body with four gold pins on each side.
constexpr double kChipLeft = 30, kChipTop = 32, kChipSize = 28, kPinLength = 5, kPinWidth = 3;

bool InChipBody(double x, double y) {
  return x >= kChipLeft && x < kChipLeft + kChipSize && y >= kChipTop && y < kChipTop + kChipSize;
}

bool OnPinRow(double along, double start) {
  for (int pin = 0; pin < 4; ++pin) {
    const double from = start + 4 + pin * 6.0;
    if (along >= from && along < from + kPinWidth) return true;
  }
  return false;
}

bool InPin(double x, double y) {
  const double right = kChipLeft + kChipSize, bottom = kChipTop + kChipSize;
  const bool besideX = (x >= kChipLeft - kPinLength && x < kChipLeft) || (x >= right && x < right + kPinLength);
  const bool besideY = (y >= kChipTop - kPinLength && y < kChipTop) || (y >= bottom && y < bottom + kPinLength);
  return (besideX && y >= kChipTop && y < bottom && OnPinRow(y, kChipTop)) ||
         (besideY && x >= kChipLeft && x < right && OnPinRow(x, kChipLeft));
}

bool InDieMark(double x, double y) {
  // A lighter square outline inset in the body: the die.
  const double l = kChipLeft + 7, t = kChipTop + 7, s = kChipSize - 14;
  const bool inOuter = x >= l && x < l + s && y >= t && y < t + s;
  const bool inInner = x >= l + 2 && x < l + s - 2 && y >= t + 2 && y < t + s - 2;
  return inOuter && !inInner;
}

Colour Sample(double x, double y) {
  if (!InShield(x, y, 0)) return {};
  if (!InShield(x, y, 3)) return {28, 62, 128, 255};  // the rim
  if (InDieMark(x, y)) return {112, 112, 128, 255};
  if (InChipBody(x, y)) return {44, 46, 56, 255};
  if (InPin(x, y)) return {226, 184, 64, 255};
  const double t = (y - kTop) / (kPoint - kTop);  // the face darkens downwards
  return {76 - 36 * t, 138 - 46 * t, 214 - 40 * t, 255};
}

}  // namespace

std::vector<uint32_t> LogoPixels() {
  std::vector<uint32_t> pixels(kWidth * kHeight, 0);
  constexpr int kSub = 4;  // 4 x 4 samples per pixel smooth the edges
  for (int py = 0; py < kHeight; ++py) {
    for (int px = 0; px < kWidth; ++px) {
      Colour sum;
      for (int sy = 0; sy < kSub; ++sy) {
        for (int sx = 0; sx < kSub; ++sx) {
          const Colour c = Sample(px + (sx + 0.5) / kSub, py + (sy + 0.5) / kSub);
          sum.r += c.r * c.a, sum.g += c.g * c.a, sum.b += c.b * c.a, sum.a += c.a;
        }
      }
      if (sum.a == 0) continue;
      auto channel = [&](double weighted) { return uint32_t(std::lround(weighted / sum.a)); };
      const uint32_t alpha = uint32_t(std::lround(sum.a / (kSub * kSub)));
      pixels[py * kWidth + px] = alpha << 24 | channel(sum.r) << 16 | channel(sum.g) << 8 | channel(sum.b);
    }
  }
  return pixels;
}

}  // namespace logo
