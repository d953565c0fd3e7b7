#include "app/Dpi.h"

#include <cstdint>

namespace dpi {

namespace {
// Rounded half away from zero, in integers.
int DivideRounded(int64_t numerator, int64_t denominator) {
  const int64_t half = denominator / 2;
  return int(numerator >= 0 ? (numerator + half) / denominator : (numerator - half) / denominator);
}
}  // namespace

int Scale(int length, int dpi) { return int(int64_t(length) * dpi / kBase); }

view::Rect Scale(const view::Rect& r, int dpi) {
  return {Scale(r.left, dpi), Scale(r.top, dpi), Scale(r.right, dpi), Scale(r.bottom, dpi)};
}

int Rescale(int pixels, int fromDpi, int toDpi) {
  if (fromDpi <= 0 || fromDpi == toDpi) return pixels;
  return DivideRounded(int64_t(pixels) * toDpi, fromDpi);
}

int PointsToPixels(int points, int dpi) { return DivideRounded(int64_t(points) * dpi, 72); }

}  // namespace dpi
