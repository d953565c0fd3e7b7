// TfrmMainForm: Scan Hardware, the device tree and the command state.
#include <vector>

#include "app/MainFormUnit.h"
#include "backup/DeviceList.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "platform/System.h"

void TfrmMainForm::btnScanClick() {
  ShowProgress(u"Scanning Hardware");
  TProgressCloser closeProgress(*this);

  ports::IImageList& images = FView.imgDevices();
  for (int i = images.Count() - 1; i >= drawing::kFirstDeviceIcon; --i) images.Delete(i);

  TDeviceList found = ScanDevices([this](const TDevice& d) { return IncludeDevice(d); }, &CompareFriendlyNames,
                                  images, [this](const WString& description) { SetProgressText(description); });

  ShowDeviceList(std::move(found));
  if (FDeviceList.empty())
    Os().dialogs->ShowMessage(ports::MessageKind::Warning, u"No installed drivers were found!?!?");
}

void TfrmMainForm::ShowDeviceList(TDeviceList list) {
  // The tree goes first: no node may point into the list being replaced.
  FView.tvDevices().Clear();
  FDeviceList = std::move(list);
  ResetGrid(FView.sgDeviceInfo());
  ResetGrid(FView.sgFiles());
  FView.reInfFile().LinesClear();
  if (!FDeviceList.empty()) BuildDeviceTree(FDeviceList);
}

bool TfrmMainForm::IncludeDevice(const TDevice& device) const {
  return backup::IsListedDevice(device, FView.mnuIncludeMicrosoft().Checked());
}

int32_t TfrmMainForm::CompareFriendlyNames(const TDevice& Item1, const TDevice& Item2) {
  return backup::CompareFriendlyNames(Item1, Item2);
}

void TfrmMainForm::BuildDeviceTree(TDeviceList& list) {
  view::ITreeView& tree = FView.tvDevices();
  tree.Clear();
  const view::NodeId root = tree.AddChild(view::kNoNode, LocalComputerName(), nullptr);
  // Class nodes in the tree's order; each carries its first device.
  for (const backup::TDeviceClass& deviceClass : backup::TreeOrder(list)) {
    const view::NodeId classNode = tree.AddChild(root, deviceClass.description, &list[deviceClass.devices.front()]);
    for (size_t i : deviceClass.devices) tree.AddChild(classNode, backup::ShownName(list[i]), &list[i]);
  }
  tree.Expand(root);
}

WString TfrmMainForm::LocalComputerName() {
  ports::ISystem& system = *Os().system;
  uint32_t size = 0;
  system.GetComputerNameEx(nullptr, &size);
  if (size == 0) return WString();
  std::vector<char16_t> buffer(size + 1, u'\0');
  if (!system.GetComputerNameEx(buffer.data(), &size)) return WString();
  return text::Trim(text::UpToNul(buffer.data(), buffer.size()));
}

bool TfrmMainForm::ShowsDevice(view::NodeId node) const {
  const view::ITreeView& tree = FView.tvDevices();
  return node != view::kNoNode && tree.Device(node) != nullptr && tree.Children(node).empty();
}

void TfrmMainForm::tvDevicesChange(view::NodeId node) {
  if (ShowsDevice(node)) ShowDevice(*FView.tvDevices().Device(node));
  UpdateCommandState();
}

void TfrmMainForm::UpdateCommandState() {
  const view::ITreeView& tree = FView.tvDevices();
  const view::NodeId selected = tree.Selected();
  const bool deviceSelected = selected != view::kNoNode && tree.Children(selected).empty();
  for (view::ICommand* command :
       {&FView.btnVerify(), &FView.mnuVerify(), &FView.btnExport(), &FView.mnuExport(), &FView.mnuProperties()})
    command->SetEnabled(deviceSelected);
  FView.btnExportAll().SetEnabled(tree.Count() > 1);
}

drawing::TreeItemPaint TfrmMainForm::tvDevicesCustomDrawItem(view::NodeId node, const view::Rect& fullRow,
                                                             const view::Rect& textRect, view::Rgb treeBackground,
                                                             bool selected) const {
  const view::ITreeView& tree = FView.tvDevices();
  drawing::TreeItemFacts facts;
  const TDevice* device = tree.Device(node);
  facts.carriesDevice = device != nullptr;
  facts.hasChildren = !tree.Children(node).empty();
  facts.expanded = tree.Expanded(node);
  facts.selected = selected;
  facts.fullRow = fullRow;
  facts.textRect = textRect;
  facts.treeBackground = treeBackground;
  // A device whose icon did not load (index 0, a chevron) is drawn without one: see docs/behaviour.md.
  facts.deviceIconIndex = device && device->ClassIconIndex >= drawing::kFirstDeviceIcon ? device->ClassIconIndex : -1;
  facts.dpi = FView.MonitorDpi();
  return drawing::DecideTreeItem(facts);
}
