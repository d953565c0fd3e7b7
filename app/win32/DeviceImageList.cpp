#include "app/win32/DeviceImageList.h"

#include <cstring>
#include <string>

#include "app/Drawing.h"
#include "app/win32/Gdi.h"
#include "app/win32/Window.h"
#include "platform/Errors.h"

namespace gui {

namespace {

constexpr int kSize = 16;

// A top-down 32-bit DIB holding the glyph with its alpha channel.
UniqueGdiObject GlyphBitmap(int index) {
  const drawing::GlyphPixels pixels = drawing::ClassNodeGlyph(index);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = kSize;
  info.bmiHeader.biHeight = -kSize;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) ThrowLastError("CreateDIBSection");
  // 0xAARRGGBB is the DIB's byte order B, G, R, A on a little-endian machine; the
  // glyphs are fully opaque or fully transparent, so no premultiplying is needed.
  std::memcpy(bits, pixels.data(), sizeof(pixels));
  return bitmap;
}

}  // namespace

DeviceImageList::DeviceImageList() {
  list_ = ::ImageList_Create(kSize, kSize, ILC_COLOR32, 8, 8);
  if (!list_) ThrowLastError("ImageList_Create");
  for (int glyph = drawing::kGlyphCollapsed; glyph <= drawing::kGlyphExpandedSelected; ++glyph) {
    UniqueGdiObject bitmap = GlyphBitmap(glyph);
    if (::ImageList_Add(list_, AsBitmap(bitmap), nullptr) != glyph) {
      ::ImageList_Destroy(list_);
      throw QuillonError("imgDevices: glyph " + std::to_string(glyph) + " was not added");
    }
  }
}

DeviceImageList::~DeviceImageList() { ::ImageList_Destroy(list_); }

int DeviceImageList::AddIcon(winapi::Handle icon) {
  return ::ImageList_AddIcon(list_, reinterpret_cast<HICON>(icon));
}

int DeviceImageList::Count() const { return ::ImageList_GetImageCount(list_); }

void DeviceImageList::Delete(int index) {
  if (index < 0 || index >= Count() || !::ImageList_Remove(list_, index))
    throw QuillonError("imgDevices: no image " + std::to_string(index));
}

void DeviceImageList::Draw(int index, HDC dc, int x, int y) const {
  ::ImageList_Draw(list_, index, dc, x, y, ILD_NORMAL);
}

}  // namespace gui
