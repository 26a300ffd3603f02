#include "win_images.hpp"

#include <cstdint>
#include <vector>

namespace {

constexpr int header_size = 49;

struct rgb {
  int r, g, b;
};
constexpr rgb deep{16, 52, 96}, light{58, 128, 170}, accent{238, 186, 60};

std::uint32_t mix(rgb from, rgb to, int at, int of) {
  const auto part = [&](int a, int b) { return std::uint32_t(a + (b - a) * at / (of > 0 ? of : 1)); };
  return (part(from.r, to.r) << 16) | (part(from.g, to.g) << 8) | part(from.b, to.b);
}

// A top-down 32-bit bitmap filled by `colour(x, y)`.
template <typename Colour>
HBITMAP paint(int width, int height, Colour colour) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  auto* pixels = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[y * width + x] = colour(x, y);
  return bitmap;
}

// A "V" of two strokes inside a square of `size` at (left, top).
bool on_mark(int x, int y, int left, int top, int size) {
  const int u = x - left, v = y - top;
  if (u < 0 || v < 0 || u >= size || v >= size) return false;
  const int stroke = size / 7 + 1;
  const int middle = size / 2;
  const int reach = v * middle / size;  // how far each stroke has come in
  if (2 * reach + stroke > size) return false;  // the strokes have met: the tip
  return (u >= reach && u < reach + stroke) || (u <= size - 1 - reach && u > size - 1 - reach - stroke);
}

}  // namespace

HBITMAP win_images::watermark(int width, int height) {
  const int mark = width / 2, left = (width - mark) / 2, top = height / 5;
  return paint(width, height, [&](int x, int y) {
    if (on_mark(x, y, left, top, mark)) return mix(accent, accent, 0, 1);
    return mix(deep, light, y, height);
  });
}

HBITMAP win_images::header() {
  const int size = header_size;
  const int mark = size * 3 / 5, offset = (size - mark) / 2;
  return paint(size, size, [&](int x, int y) {
    if (on_mark(x, y, offset, offset, mark)) return mix(accent, accent, 0, 1);
    return mix(light, deep, x + y, 2 * size);
  });
}

HICON win_images::icon(int size) {
  const int mark = size * 3 / 4, offset = (size - mark) / 2;
  HBITMAP colour = paint(size, size, [&](int x, int y) {
    if (on_mark(x, y, offset, offset, mark)) return mix(accent, accent, 0, 1);
    return mix(light, deep, y, size);
  });
  std::vector<std::uint8_t> opaque(static_cast<std::size_t>(((size + 15) / 16) * 2 * size), 0);
  HBITMAP mask = ::CreateBitmap(size, size, 1, 1, opaque.data());
  ICONINFO info{TRUE, 0, 0, mask, colour};
  HICON icon = ::CreateIconIndirect(&info);
  ::DeleteObject(mask);
  ::DeleteObject(colour);
  return icon;
}
