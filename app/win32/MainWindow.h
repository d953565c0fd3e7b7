// The main window "NAVU Driver Backup": the Win32 view of TfrmMainForm. It lays
// the controls out as app/DrawingLayout.h decides, paints what app/Drawing.h
// decides, and forwards every user action to the form's handler; errors that
// escape a handler are shown in an error box and the window keeps running.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "app/DrawingLayout.h"
#include "app/MainFormUnit.h"
#include "app/View.h"
#include "app/win32/DeviceImageList.h"
#include "app/win32/DeviceTreeView.h"
#include "app/win32/FlatButton.h"
#include "app/win32/Gdi.h"
#include "app/win32/Menus.h"
#include "app/win32/PageControl.h"
#include "app/win32/RichEdit.h"
#include "app/win32/Splitter.h"
#include "app/win32/StringGrid.h"
#include "app/win32/ToolTips.h"
#include "app/win32/Window.h"

namespace gui {

// The private message that runs the rest of the start-up once the window is up.
constexpr UINT kStartupMessage = WM_USER + 1;
static_assert(kStartupMessage == 1025);

struct MainWindowOptions {
  // Makes the shared folder picker; empty: the system's folder dialog.
  std::function<std::unique_ptr<view::IFolderPicker>(HWND owner)> folderPicker;
  // Finds the 7-Zip library at creation; empty: the form's own search.
  TfrmMainForm::TSevenZipFinder findSevenZip;
};

class MainWindow final : public Window, public view::IMainView {
 public:
  // Creates the window hidden, with every control, and the form over it (whose
  // FormCreate has not run yet). Throws QuillonError when a control cannot be made.
  explicit MainWindow(MainWindowOptions options = {});
  ~MainWindow() override;

  TfrmMainForm& Form() { return *form_; }
  // Centres the window on the screen, shows it and runs FormShow.
  void Show();
  // Runs the message loop until the window closes.
  void RunMessageLoop();
  // The keyboard's use of the window, asked before a message of the window or its
  // controls is dispatched: Tab and Shift+Tab move through the panes, F5 scans,
  // Alt and a button's letter press it, Enter on the tree opens Properties,
  // Shift+F10 and the menu key open the device menu. True: the message is used up.
  bool TranslateKeyboard(const MSG& message);
  // Whether a message goes through while a command runs (see ProcessMessages).
  static bool PassesWhileBusy(const MSG& message);
  bool Closed() const { return closed_; }

  // What tests look at.
  const layout::MainLayout& Layout() const { return layout_; }
  FlatButton& ToolbarButton(layout::ToolbarButtonIndex index) { return *toolbar_[index]; }
  FlatButton& InfoPanelButton() { return *infoButton_; }
  Splitter& SplitterOf(int which);  // 1, 2 or 3
  DeviceTreeView& Tree() { return *tree_; }
  StringGrid& DeviceInfoGrid() { return *deviceInfo_; }
  StringGrid& FilesGrid() { return *files_; }
  RichEdit& InfFileBox() { return *infFile_; }
  RichEdit& OutputBox() { return *output_; }
  PageControl& Pages() { return *pages_; }
  const ToolTips& Tips() const { return *tips_; }
  HMENU MainMenu() const { return mainMenu_.Get(); }
  HMENU PopupMenu() const { return popupMenu_.Get(); }
  DeviceImageList& Images() { return images_; }
  // The device popup menu at a screen point, as a right click on the tree shows it.
  void ShowPopupMenu(POINT screen);
  // The controls Tab moves through, in order (the shown page's text box last).
  std::vector<HWND> TabOrder() const;

  // ---------------------------------------------------------------- view::IMainView
  view::ITreeView& tvDevices() override { return *tree_; }
  view::IStringGrid& sgDeviceInfo() override { return *deviceInfo_; }
  view::IStringGrid& sgFiles() override { return *files_; }
  view::IRichEdit& reInfFile() override { return *infFile_; }
  view::IRichEdit& reOutput() override { return *output_; }
  view::IPageControl& PageControl1() override { return *pages_; }
  view::ICommand& btnScan() override { return *toolbar_[layout::kScan]; }
  view::ICommand& btnVerify() override { return *toolbar_[layout::kVerify]; }
  view::ICommand& btnExport() override { return *toolbar_[layout::kExport]; }
  view::ICommand& btnExportAll() override { return *toolbar_[layout::kExportAll]; }
  view::ICommand& btnSubmit() override { return *toolbar_[layout::kSubmit]; }
  view::ICommand& mnuVerify() override { return mnuVerify_; }
  view::ICommand& mnuExport() override { return mnuExport_; }
  view::ICommand& mnuProperties() override { return mnuProperties_; }
  view::IMenuCheck& mnuIncludeMicrosoft() override { return mnuIncludeMicrosoft_; }
  view::IPanelLayout& Panels() override { return panels_; }
  view::IInfoPanelButton& btnInfoPanel() override { return infoPanel_; }
  ports::IImageList& imgDevices() override { return images_; }
  std::unique_ptr<view::IFolderPicker> CreateFolderPicker() override;
  std::unique_ptr<view::IProgressWindowView> CreateProgressWindow() override;
  std::unique_ptr<view::IAboutWindowView> CreateAboutWindow() override;
  void SetHintHidePause(int milliseconds) override { tips_->SetHidePause(milliseconds); }
  void PostStartupMessage() override;
  void ProcessMessages() override;
  void Close() override;
  int MonitorDpi() const override;

 private:
  // Panel5's column as the form sees it.
  class PanelLayout final : public view::IPanelLayout {
   public:
    explicit PanelLayout(MainWindow& window) : window_(window) {}
    int Panel5Height() const override { return window_.layout_.Panel5.Height(); }
    int pnlExpandHeight() const override { return window_.Scaled(layout::kExpandPanelHeight); }
    int Splitter3Height() const override { return window_.Scaled(layout::kSplitterThickness); }
    int pnlPropertiesHeight() const override { return window_.sizes_.propertiesHeight; }
    void SetPropertiesHeight(int pixels) override;

   private:
    MainWindow& window_;
  };

  // btnInfoPanel: its caption, its tool tip and the Tag holding the panel state.
  class InfoPanel final : public view::IInfoPanelButton {
   public:
    explicit InfoPanel(MainWindow& window) : window_(window) {}
    WString Caption() const override { return window_.infoButton_->Caption(); }
    void SetCaption(const WString& caption) override { window_.infoButton_->SetCaption(caption); }
    WString Hint() const override { return window_.tips_->Tip(window_.infoButton_->Handle()); }
    // The hint says what the arrow caption means: screen readers read it as the button's name.
    void SetHint(const WString& hint) override {
      window_.tips_->SetTip(window_.infoButton_->Handle(), hint);
      window_.infoButton_->SetAccessibleName(hint);
    }
    int Tag() const override { return tag_; }
    void SetTag(int tag) override { tag_ = tag; }

   private:
    MainWindow& window_;
    int tag_ = 0;
  };

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void CreateControls();
  void ConnectHandlers();
  void Relayout();
  // A 96-DPI length at the window's DPI.
  int Scaled(int length) const;
  // The fonts at the window's DPI, handed to every control that shows text.
  void MakeFonts();
  void ApplyFonts();
  // WM_DPICHANGED: every length at the new DPI, the window at the system's suggested rectangle.
  void OnDpiChanged(int newDpi, const RECT& suggested);
  void Paint();
  void OnCommand(UINT id);
  LRESULT OnNotify(const NMHDR& header);
  void OnTreeRightClick();
  void ShowPopupMenuAtSelection();  // from the keyboard: under the selected node
  void MoveFocus(bool forward);
  void ShowKeyboardCues();
  bool PressAccessKey(char16_t key);
  void OnSizeChanged(WPARAM kind);
  void SnapToScreenEdges(WINDOWPOS& position);
  void StartSplitterDrag(int which);
  void DragSplitter(int which, int delta);
  // Runs a form handler as the toolkit does: an escaping error is shown, nothing more.
  void Run(void (TfrmMainForm::*handler)());

  MainWindowOptions options_;
  UniqueGdiObject formFont_, headerFont_, textFont_;
  DeviceImageList images_;
  UniqueMenu mainMenu_, popupMenu_;  // the bar is detached from the window before it goes
  MenuCommand mnuVerify_, mnuExport_, mnuProperties_;
  MenuCheck mnuIncludeMicrosoft_;
  std::unique_ptr<ToolTips> tips_;
  std::unique_ptr<FlatButton> toolbar_[layout::kToolbarButtonCount];
  std::unique_ptr<FlatButton> infoButton_;
  std::unique_ptr<DeviceTreeView> tree_;
  std::unique_ptr<StringGrid> deviceInfo_, files_;
  std::unique_ptr<PageControl> pages_;
  std::unique_ptr<RichEdit> infFile_, output_;
  std::unique_ptr<Splitter> splitter1_, splitter2_, splitter3_;
  PanelLayout panels_{*this};
  InfoPanel infoPanel_{*this};
  int dpi_ = 96;  // the window's; every length of the layout is scaled to it
  layout::MainLayoutSizes sizes_;
  layout::MainLayout layout_;
  int dragStartSize_ = 0;
  bool ready_ = false;       // every control exists: layout and notifications may run
  bool destroying_ = false;  // nothing reaches the form any more
  bool placing_ = false;     // the window itself is being placed: no snapping
  bool shown_ = false;
  bool closed_ = false;
  std::unique_ptr<TfrmMainForm> form_;
};

}  // namespace gui
