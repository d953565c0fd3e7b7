// imgDevices: a square, 32-bit, unmasked image list that starts with the four
// class-node glyphs and takes the device icons a scan adds. Its side is 16 pixels
// at 96 DPI; Resize re-makes every image at another side when the window's DPI
// changes (the icons from copies kept for that).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/win32/WindowHandles.h"
#include "platform/ImageList.h"
#include "platform/win32/Handles.h"

namespace gui {

class DeviceImageList final : public ports::IImageList {
 public:
  explicit DeviceImageList(int size = 16);  // throws QuillonError when the list or a glyph cannot be made
  DeviceImageList(const DeviceImageList&) = delete;
  DeviceImageList& operator=(const DeviceImageList&) = delete;

  int AddIcon(winapi::Handle icon) override;
  int Count() const override;
  void Delete(int index) override;  // throws QuillonError for an index the list does not hold

  // Every image again at `size` x `size` pixels; the indexes stay.
  void Resize(int size);
  int Size() const { return size_; }
  // Alpha-blended at (x, y).
  void Draw(int index, HDC dc, int x, int y) const;
  HIMAGELIST Handle() const { return list_.Get(); }

 private:
  struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static bool IsValid(HICON h) { return h != nullptr; }
    static void Close(HICON h) { ::DestroyIcon(h); }
  };
  using UniqueIcon = UniqueHandle<IconTraits>;

  // A list of the glyphs alone at `size`.
  static UniqueImageList MakeList(int size);

  int size_;
  UniqueImageList list_;
  std::vector<UniqueIcon> icons_;  // copies of the added icons, index - 4
};

}  // namespace gui
