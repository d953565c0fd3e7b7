// The image list a scan adds device icons to (the window's imgDevices).
#pragma once
#include "platform/WinTypes.h"

namespace ports {

class IImageList {
 public:
  virtual ~IImageList() = default;
  // Adds a copy of the icon (the caller still owns and destroys `icon`); returns its index, -1 on failure.
  virtual int AddIcon(winapi::Handle icon) = 0;
  virtual int Count() const = 0;
  virtual void Delete(int index) = 0;
};

}  // namespace ports
