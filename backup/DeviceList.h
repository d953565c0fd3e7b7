// The devices the commands work on: which present devices are listed, in which
// order the scan keeps them, and the order (and so the numbers) of the device
// tree. The window's tree, the command line's numbers and quillon-headless's
// tree all come from here.
#pragma once
#include <vector>

#include "devices/Devices.h"
#include "platform/ImageList.h"

namespace backup {

// Listed: the device has a device class and is not provided by Microsoft, unless
// Microsoft's own drivers are asked for.
bool IsListedDevice(const TDevice& device, bool includeMicrosoft);

// The scan's order: ordinal comparison of FriendlyName.
int32_t CompareFriendlyNames(const TDevice& Item1, const TDevice& Item2);

// Icons nobody shows: each added one only counted, so that indexes stay as in a
// list that keeps them.
class TCountedImages final : public ports::IImageList {
 public:
  int AddIcon(winapi::Handle) override { return count_++; }
  int Count() const override { return count_; }
  void Delete(int) override { --count_; }

 private:
  int count_ = 0;
};

// Scan Hardware's scan: the listed devices in the scan's order. The icons go into
// `images`; `callback` is told each device's description. `wrongTyped`: the
// window's scan ends at a value of the wrong type, the command line's keeps the
// device with the reason.
TDeviceList ScanListedDevices(bool includeMicrosoft, ports::IImageList& images, const TScanCallback& callback = {},
                              WrongTypedValues wrongTyped = WrongTypedValues::EndTheScan);

// Every present device, also those the tree leaves out, in the scan's order.
TDeviceList ScanAllDevices(WrongTypedValues wrongTyped = WrongTypedValues::EndTheScan);

// One class node of the tree and its devices (indexes into the list, in list order).
struct TDeviceClass {
  WString description;
  std::vector<size_t> devices;
};

// The tree's classes: one per ClassDescription, in the locale's order of their
// texts (lstrcmpW; classes that compare equal keep the order of first appearance).
std::vector<TDeviceClass> TreeOrder(const TDeviceList& list);

// The devices in the tree's order, class by class: device number n is element n-1.
std::vector<size_t> NumberedDevices(const TDeviceList& list);

// The name the tree shows for a device: its friendly name, else its description.
WString ShownName(const TDevice& device);

}  // namespace backup
