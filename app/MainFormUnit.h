// TfrmMainForm, the main window's logic: its process-wide state and its event
// handlers. The handlers ask the user (folder, confirmations), run the command
// layer (backup/) and show what it reports. It acts on a view (app/View.h): the
// Win32 windows in Quillon.exe, the in-memory view in tests and quillon-headless.
//
// One class, one file per concern:
//   MainFormUnit.cpp        creation, start-up, layout, progress and log helpers
//   MainFormSinks.cpp       the command layer's report and progress sinks at the window's end
//   MainFormDeviceTree.cpp  Scan Hardware, the device tree, the command state
//   MainFormPanels.cpp      the selected device's panels, Properties, grid drawing
//   MainFormCommandSteps.cpp the steps the commands share (OS check, folder picker, Explorer)
//   MainFormVerify.cpp      Verify Signatures and VerifyDriver
//   MainFormExport.cpp      Export Driver, Export All and ExportDriver
//   MainFormSubmit.cpp      Prepare NAVU Submission
//   MainFormIndex.cpp       the backup index the exports write beside their archives
//   MainFormClosing.cpp     commands under way and closing the window meanwhile
//   MainFormRestore.cpp     Restore Drivers…
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "app/Drawing.h"
#include "app/ProgressFormUnit.h"
#include "app/RunHandler.h"
#include "app/View.h"
#include "backup/BackupIndex.h"
#include "backup/DriverExport.h"
#include "backup/ExportRun.h"
#include "backup/Sinks.h"
#include "devices/Devices.h"
#include "platform/StillWorking.h"
#include "signing/CryptCat.h"

class TfrmMainForm {
 public:
  // Finds the 7-Zip library at creation; FindSevenZipLibrary unless replaced
  // (quillon-headless --no-7zip).
  using TSevenZipFinder = std::function<WString()>;

  explicit TfrmMainForm(view::IMainView& view, TSevenZipFinder findSevenZip = {});
  ~TfrmMainForm();
  TfrmMainForm(const TfrmMainForm&) = delete;
  TfrmMainForm& operator=(const TfrmMainForm&) = delete;

  // ------------------------------------------------ process-wide state (read-only outside)
  // The last scan, in scan order; tree nodes point into it.
  const TDeviceList& DeviceList() const { return FDeviceList; }
  // Empty: archives are written as .Zip.
  const WString& SevenZipLibraryPath() const { return FSevenZipLibraryPath; }
  // The shared folder picker; null until a command first picks a folder.
  const view::IFolderPicker* dlg() const { return FDlg.get(); }
  // The progress window while a command shows progress; null otherwise.
  const TfrmProgress* frmProgress() const { return FFrmProgress.get(); }
  view::IMainView& View() { return FView; }

  // ------------------------------------------------ start-up and window events
  void FormCreate();
  void FormShow();
  void StartupMessage();  // the private start-up message, posted by FormShow
  void FormResize();
  // The window moved to a monitor of another DPI and has been laid out anew:
  // grid rows take the new DPI's height, the first columns keep their proportion,
  // the second columns and the panels are fitted again.
  void FormAfterMonitorDpiChanged(int oldDpi, int newDpi);
  void btnQuitClick();
  // The window is asked to close (close box, Alt+F4, File > Exit): true when it
  // may close now. While a command runs it asks first; on Yes the command stops
  // after the file it is on, leaving nothing half written, and the window closes
  // once it has; on No the command goes on.
  bool FormCloseQuery();
  // True while Verify Signatures, Export Driver, Export All or the submission runs.
  bool CommandRunning() const { return FCommandRunning; }
  // How often a long step on one big file lets the window answer (tests that
  // must see every tick of the step set 0).
  void SetStillWorkingInterval(std::chrono::milliseconds interval) { FStillWorkingInterval = interval; }
  void mnuIncludeMicrosoftClick();
  void mnuAboutClick();

  // ------------------------------------------------ shared operations
  void ShowProgress(const WString& title);
  void CloseProgress();
  void SetProgressText(const WString& text);
  // Collapses every CR CR pair to one CR (one pass), then inserts at reOutput's caret.
  void AppendShellOutput(const WString& text);
  // Truncate(monitor DPI / 96 x length): a 96-DPI length in the window's pixels.
  int ScaleToMonitor(int length) const;

  // Closes the progress window however the scope is left.
  class TProgressCloser {
   public:
    explicit TProgressCloser(TfrmMainForm& form) : FForm(form) {}
    ~TProgressCloser() { FForm.CloseProgress(); }
    TProgressCloser(const TProgressCloser&) = delete;
    TProgressCloser& operator=(const TProgressCloser&) = delete;

   private:
    TfrmMainForm& FForm;
  };

  // ------------------------------------------------ device tree and panels
  void btnScanClick();
  bool IncludeDevice(const TDevice& device) const;
  static int32_t CompareFriendlyNames(const TDevice& Item1, const TDevice& Item2);
  // Replaces DeviceList by `list` (the tree is cleared first, so no node points
  // into the old list), empties the panels and shows the list in the tree.
  void ShowDeviceList(TDeviceList list);
  static WString LocalComputerName();
  void tvDevicesChange(view::NodeId node);
  void UpdateCommandState();
  // True when the node carries a device and has no children (a device node).
  bool ShowsDevice(view::NodeId node) const;
  void ShowDevice(TDevice& device);
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

  // ------------------------------------------------ steps the commands share
  // True on Windows 8 (6.2) or later; otherwise shows "Windows 7 and below is not
  // supported." as an error and returns false.
  static bool OperatingSystemSupported();
  // The shared folder picker `dlg`, made on first use with `titleAtCreation`.
  view::IFolderPicker& SharedFolderPicker(const WString& titleAtCreation);
  // Shows the picker; on a choice, makes it the picker's default folder, makes the
  // Shell tab active and clears the log. False when the user cancelled.
  bool PickOutputFolder(view::IFolderPicker& picker);

  // ------------------------------------------------ commands and their building blocks
  void btnVerifyClick();  // also mnuVerify
  // Makes the Shell tab active (cleared first with ClearOutput) and verifies the
  // device there (backup::VerifyDriver) with the window's catalog checker.
  bool VerifyDriver(TDevice& device, bool ClearOutput);
  void btnExportClick();  // also mnuExport
  void btnExportAllClick();
  // The device's driver-store folder as an archive in the folder chosen in `dlg`
  // (backup::ExportDriver); the archive's name, empty when the archive step
  // failed (and its error was shown).
  WString ExportDriver(TDevice& device);
  void btnSubmitClick();
  // File ▸ Restore Drivers…: a backup folder chosen in `dlg` put back on this PC.
  void mnuRestoreClick();

 private:
  // The command layer's sinks at the window's end: report lines go into
  // reOutput, progress into the progress window of the moment (none: dropped).
  class TShellLog final : public backup::IReportLog {
   public:
    explicit TShellLog(TfrmMainForm& form) : FForm(form) {}
    void AddLine(const WString& line) override;
    void Append(const WString& text) override;

   private:
    TfrmMainForm& FForm;
  };
  class TProgressSink final : public backup::IProgress {
   public:
    explicit TProgressSink(TfrmMainForm& form) : FForm(form) {}
    void Show(const WString& title) override;
    void SetText(const WString& text) override;
    void SetFormatAsBytes(bool asBytes) override;
    void SetTotal(int64_t total) override;
    void SetValue(int64_t value) override;
    void SetBar(int64_t value, int64_t total) override;
    void Draw() override;

   private:
    TfrmMainForm& FForm;
  };

  // The folder chosen in `dlg` and the 7-Zip library: where and how the export
  // commands write. Raises QuillonError when no folder has been chosen.
  backup::TExportTarget ExportTarget() const;
  // An archive step's error, shown as the window shows errors (not once the
  // user chose to close: the stop is what the step reports then).
  void ShowArchiveError(const WString& error) const;
  // VerifyDriver with the whole report: the index records its verdict and signer.
  backup::TVerifyReport VerifyDevice(TDevice& device, bool ClearOutput);
  // One device of Export All or the submission: shown, verified and exported
  // (each package once). Its outcome: the verification and the archive, empty
  // when none was written. An error raised for this device (a file that cannot be
  // listed or copied) is shown as an archive step's error is and costs this
  // device only.
  backup::TDeviceOutcome ExportOneOfMany(TDevice& device, const backup::TExportTarget& target,
                                         backup::TExportedPackages& exported);
  // Every listed device through ExportOneOfMany, in list order, each package
  // once. `outcomes` line up with the list and are filled as each device ends,
  // so that those finished before a stop are known.
  void ExportEachDevice(const backup::TExportTarget& target, std::vector<backup::TDeviceOutcome>& outcomes);
  // The index of what a command exported (`outcomes` line up with `devices`),
  // each archive read back (backup::IndexOfRun). An archive that cannot be read
  // back is left out and shown as an archive step's error is.
  backup::BackupIndex IndexOfExports(const TDeviceList& devices, const std::vector<backup::TDeviceOutcome>& outcomes);
  // Writes `index` beside the archives in `folder` (backup::WriteIndexOfRun, no
  // record), dated `localTime`, naming the submission archive `submission`
  // (empty: none). Nothing is written for an index that names neither a package
  // nor a submission. A failure is shown as an archive step's error is (the
  // archives stay). True when the index was written.
  bool WriteExportIndex(backup::BackupIndex index, const WString& folder, const winapi::SystemTime& localTime,
                        const WString& submission = WString());

  void BuildDeviceTree(TDeviceList& list);
  void ShowDriverFiles(TDevice& device);
  // Header row plus one empty row.
  static void ResetGrid(view::IStringGrid& grid);
  static void SetUpGrid(view::IStringGrid& grid, int defaultColWidth, const WString& header0,
                        const WString& header1, int rowHeight);

  // Starts "explorer.exe" with `parameters`, shown normally; not for a command
  // stopped because the window closes.
  void StartExplorer(const WString& parameters) const;
  // Runs a command: the window keeps answering while it runs (its progress
  // processes the window's messages, user input aside), and a close chosen
  // meanwhile ends the command quietly and then closes the window.
  void RunCommand(const std::function<void()>& body);
  // Processes the window's pending messages while a command runs.
  void KeepAnswering();
  // Once the user chose to close, leaves the command (raises TClosing).
  void StopIfClosing() const;
  struct TClosing {};  // not an error: the command stopped because the window closes
  // Runs `body`, then `closing`, which also runs (before the error goes on) when
  // `body` raises.
  static void RunThenAlways(const std::function<void()>& body, const std::function<void()>& closing);
  // Adds "*** Complete ***" to the Shell log.
  void LogComplete();
  // "Verify completed with errors. See Shell output for details." as an error.
  static void ShowVerifyFailed();

  view::IMainView& FView;
  TSevenZipFinder FFindSevenZip;
  TCatalogChecker FChecker;  // the window's catalog cache, kept for its life
  TShellLog FShellLog{*this};
  TProgressSink FProgressSink{*this};
  TDeviceList FDeviceList;
  WString FSevenZipLibraryPath;
  std::unique_ptr<view::IFolderPicker> FDlg;
  std::unique_ptr<TfrmProgress> FFrmProgress;
  bool FCommandRunning = false;
  bool FClosing = false;  // the user chose to close while a command ran
  std::chrono::milliseconds FStillWorkingInterval = working::kTickInterval;
  // The window's thread: the only one that processes its messages (an archive
  // library may report progress from threads of its own).
  const std::thread::id FWindowThread = std::this_thread::get_id();
};
