// The main window's logic: its process-wide state, its event handlers and the
// shared operations every command uses. It acts on a view (app/View.h): the
// Win32 windows in Quillon.exe, the in-memory view in tests and quillon-headless.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "app/ArchiveStep.h"
#include "app/Drawing.h"
#include "app/ProgressFormUnit.h"
#include "app/View.h"
#include "devices/Devices.h"

class TfrmMainForm : public IArchiveHost {
 public:
  // Finds the 7-Zip library at creation; FindSevenZipLibrary unless replaced
  // (quillon-headless --no-7zip).
  using TSevenZipFinder = std::function<WString()>;

  explicit TfrmMainForm(view::IMainView& view, TSevenZipFinder findSevenZip = {});
  ~TfrmMainForm() override;
  TfrmMainForm(const TfrmMainForm&) = delete;
  TfrmMainForm& operator=(const TfrmMainForm&) = delete;

  // ------------------------------------------------ process-wide state
  TDeviceList DeviceList;        // the last scan, in scan order; tree nodes point into it
  WString SevenZipLibraryPath;   // empty: archives are written as .Zip
  std::unique_ptr<view::IFolderPicker> dlg;     // made by the first command that picks a folder
  std::unique_ptr<TfrmProgress> frmProgress;    // while a command shows progress

  view::IMainView& View() { return view_; }

  // ------------------------------------------------ start-up and window events
  void FormCreate();
  void FormShow();
  void StartupMessage();  // the private message 1025, posted by FormShow
  void FormResize();
  // The window moved to a monitor of another DPI and has been laid out anew:
  // grid rows take the new DPI's height, the first columns keep their proportion,
  // the second columns and the panels are fitted again.
  void FormAfterMonitorDpiChanged(int oldDpi, int newDpi);
  void btnQuitClick();
  void mnuIncludeMicrosoftClick();
  void mnuAboutClick();

  // ------------------------------------------------ shared operations
  void ShowProgress(const WString& title) override;
  void CloseProgress();
  void SetProgressText(const WString& text) override;
  // Collapses every CR CR pair to one CR (one pass), then inserts at reOutput's caret.
  void AppendShellOutput(const WString& text);
  // Truncate(monitor DPI / 96 x length): a 96-DPI length in the window's pixels.
  int ScaleToMonitor(int length) const;

  // ------------------------------------------------ device tree and panels
  void btnScanClick();
  bool IncludeDevice(const TDevice& device) const;
  static int32_t CompareFriendlyNames(const TDevice& Item1, const TDevice& Item2);
  void BuildDeviceTree(TDeviceList& list);
  view::NodeId FindClassNode(view::NodeId root, const WString& classDescription) const;
  static WString LocalComputerName();
  void tvDevicesChange(view::NodeId node);
  void UpdateCommandState();
  // True when the node carries a device and has no children (a device node).
  bool ShowsDevice(view::NodeId node) const;
  void ShowDevice(TDevice& device);
  void ShowDriverFiles(TDevice& device);
  static WString FileTimeToDateText(const winapi::FileTime& t);
  void tvDevicesDblClick();  // also mnuProperties "Properties"
  static void ShowDeviceProperties(const TDevice& device);
  void Splitter2Moved();     // both vertical splitters; fits the grids' second columns
  void btnInfoPanelClick();

  // ------------------------------------------------ drawing decisions
  drawing::TreeItemPaint tvDevicesCustomDrawItem(view::NodeId node, const view::Rect& fullRow,
                                                 const view::Rect& textRect, view::Rgb treeBackground,
                                                 bool selected) const;
  drawing::GridCellPaint sgDeviceInfoDrawCell(int col, int row, const view::Rect& cell) const;
  drawing::GridCellPaint sgFilesDrawCell(int col, int row, const view::Rect& cell) const;

  // ------------------------------------------------ commands (app/MainFormCommands.cpp)
  void btnVerifyClick();  // also mnuVerify
  bool VerifyDriver(TDevice& device, bool ClearOutput);
  void btnExportClick();  // also mnuExport
  void btnExportAllClick();
  WString ExportDriver(TDevice& device);
  void btnSubmitClick();

  // ------------------------------------------------ IArchiveHost
  void AddShellLine(const WString& line) override;
  void SetProgressFormatAsBytes(bool asBytes) override;
  void SetProgressTotal(int64_t total) override;
  void SetProgressValue(int64_t value) override;
  void DrawProgressBar() override;
  void ShowMessage(ports::MessageKind kind, const WString& text) override;

 private:
  // Header row plus one empty row.
  static void ResetGrid(view::IStringGrid& grid);
  static void SetUpGrid(view::IStringGrid& grid, int defaultColWidth, const WString& header0,
                        const WString& header1, int rowHeight);

  view::IMainView& view_;
  TSevenZipFinder findSevenZip_;
};

// Runs an event handler as the toolkit does: an error that escapes it is shown in
// an error message box and the window keeps running. False when one escaped.
bool RunHandler(const std::function<void()>& handler);
