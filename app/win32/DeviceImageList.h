// imgDevices: a 16 x 16, 32-bit, unmasked image list that starts with the four
// class-node glyphs and takes the device icons a scan adds.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/ImageList.h"

namespace gui {

class DeviceImageList final : public ports::IImageList {
 public:
  DeviceImageList();  // throws QuillonError when the list or a glyph cannot be made
  ~DeviceImageList() override;
  DeviceImageList(const DeviceImageList&) = delete;
  DeviceImageList& operator=(const DeviceImageList&) = delete;

  int AddIcon(winapi::Handle icon) override;
  int Count() const override;
  void Delete(int index) override;  // throws QuillonError for an index the list does not hold

  // Alpha-blended at (x, y).
  void Draw(int index, HDC dc, int x, int y) const;
  HIMAGELIST Handle() const { return list_; }

 private:
  HIMAGELIST list_ = nullptr;
};

}  // namespace gui
