// An image list that keeps the icons a scan hands it, numbered after the tree's
// four fixed glyphs as the real image list numbers them.
#pragma once
#include <vector>

#include "platform/ImageList.h"

namespace test_support {

class RecordedImageList final : public ports::IImageList {
 public:
  int AddIcon(winapi::Handle icon) override {
    icons.push_back(icon);
    return int(icons.size()) + 3;
  }
  int Count() const override { return int(icons.size()); }
  void Delete(int) override {}
  std::vector<winapi::Handle> icons;
};

}  // namespace test_support
