#include "app/win32/DeviceImageList.h"

#include <cstring>
#include <string>

#include "app/Drawing.h"
#include "app/win32/Gdi.h"
#include "app/win32/Window.h"
#include "platform/Errors.h"

namespace gui {

namespace {

// A top-down 32-bit DIB holding the glyph with its alpha channel.
UniqueGdiObject GlyphBitmap(int index, int size) {
  const drawing::GlyphPixels pixels = drawing::ClassNodeGlyph(index, size);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) ThrowLastError("CreateDIBSection");
  // 0xAARRGGBB is the DIB's byte order B, G, R, A on a little-endian machine; the
  // glyphs are fully opaque or fully transparent, so no premultiplying is needed.
  std::memcpy(bits, pixels.data(), pixels.size() * sizeof(pixels[0]));
  return bitmap;
}

}  // namespace

UniqueImageList DeviceImageList::MakeList(int size) {
  UniqueImageList list(::ImageList_Create(size, size, ILC_COLOR32, 8, 8));
  if (!list) ThrowLastError("ImageList_Create");
  for (int glyph = drawing::kGlyphCollapsed; glyph <= drawing::kGlyphExpandedSelected; ++glyph) {
    UniqueGdiObject bitmap = GlyphBitmap(glyph, size);
    if (::ImageList_Add(list.Get(), AsBitmap(bitmap), nullptr) != glyph)
      throw QuillonError("imgDevices: glyph " + std::to_string(glyph) + " was not added");
  }
  return list;
}

DeviceImageList::DeviceImageList(int size) : size_(size), list_(MakeList(size)) {}

int DeviceImageList::AddIcon(winapi::Handle icon) {
  UniqueIcon copy(::CopyIcon(reinterpret_cast<HICON>(icon)));
  if (!copy) ThrowLastError("CopyIcon");
  const int index = ::ImageList_AddIcon(list_.Get(), copy.Get());
  if (index >= 0) icons_.push_back(std::move(copy));
  return index;
}

int DeviceImageList::Count() const { return ::ImageList_GetImageCount(list_.Get()); }

void DeviceImageList::Delete(int index) {
  if (index < 0 || index >= Count() || !::ImageList_Remove(list_.Get(), index))
    throw QuillonError("imgDevices: no image " + std::to_string(index));
  if (index >= drawing::kFirstDeviceIcon && size_t(index - drawing::kFirstDeviceIcon) < icons_.size())
    icons_.erase(icons_.begin() + (index - drawing::kFirstDeviceIcon));
}

void DeviceImageList::Resize(int size) {
  if (size == size_) return;
  UniqueImageList list = MakeList(size);
  for (const UniqueIcon& icon : icons_)
    if (::ImageList_AddIcon(list.Get(), icon.Get()) < 0)
      throw QuillonError("imgDevices: a device icon could not be made at " + std::to_string(size) + " pixels");
  list_ = std::move(list);
  size_ = size;
}

void DeviceImageList::Draw(int index, HDC dc, int x, int y) const {
  if (index < 0) return;  // no image
  ::ImageList_Draw(list_.Get(), index, dc, x, y, ILD_NORMAL);
}

}  // namespace gui
