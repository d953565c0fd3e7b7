// TfrmMainForm: creation, start-up, layout and the shared progress and log helpers.
#include "app/MainFormUnit.h"

#include <exception>

#include "app/AboutUnit.h"
#include "app/Dpi.h"
#include "app/Drawing.h"
#include "backup/ReportText.h"
#include "backup/SevenZipLibrary.h"
#include "platform/Errors.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"

TfrmMainForm::TfrmMainForm(view::IMainView& view, TSevenZipFinder findSevenZip)
    : FView(view), FFindSevenZip(findSevenZip ? std::move(findSevenZip) : TSevenZipFinder(FindSevenZipLibrary)) {}

TfrmMainForm::~TfrmMainForm() = default;

void TfrmMainForm::FormCreate() {
  FView.SetHintHidePause(5000);
  FSevenZipLibraryPath = FFindSevenZip();
  const int rowHeight = ScaleToMonitor(drawing::kGridRowHeight);
  SetUpGrid(FView.sgDeviceInfo(), ScaleToMonitor(150), u"Property Name", u"Property Value", rowHeight);
  SetUpGrid(FView.sgFiles(), ScaleToMonitor(180), u"File", u"Sub Directory", rowHeight);
  Splitter2Moved();
}

void TfrmMainForm::FormAfterMonitorDpiChanged(int oldDpi, int newDpi) {
  for (view::IStringGrid* grid : {&FView.sgDeviceInfo(), &FView.sgFiles()}) {
    grid->SetDefaultRowHeight(ScaleToMonitor(drawing::kGridRowHeight));
    // The first column keeps its share of the grid, however the user dragged it.
    if (grid->ColCount() > 0 && grid->RowCount() > 0)
      grid->SetColWidth(0, dpi::Rescale(grid->ColWidth(0), oldDpi, newDpi));
  }
  FormResize();
}

void TfrmMainForm::SetUpGrid(view::IStringGrid& grid, int defaultColWidth, const WString& header0,
                             const WString& header1, int rowHeight) {
  grid.SetDefaultRowHeight(rowHeight);
  grid.SetColor({250, 250, 255});
  grid.SetColCount(2);
  grid.SetRowCount(2);
  grid.SetFixedRows(1);
  grid.SetDefaultColWidth(defaultColWidth);
  grid.SetCell(0, 0, header0);
  grid.SetCell(1, 0, header1);
}

void TfrmMainForm::FormShow() {
  FView.PageControl1().SetActivePage(view::Page::tsInfFile);
  // Posted, not run here: the rest of the start-up follows once the window is up.
  FView.PostStartupMessage();
}

void TfrmMainForm::StartupMessage() {
  UpdateCommandState();
  btnInfoPanelClick();  // leaves the tabs collapsed
  FView.ProcessMessages();
  btnScanClick();
}

void TfrmMainForm::FormResize() {
  Splitter2Moved();
  // Re-applies the current panel layout: the click flips the tag back.
  view::IInfoPanelButton& button = FView.btnInfoPanel();
  button.SetTag(button.Tag() == 0 ? 1 : 0);
  btnInfoPanelClick();
}

void TfrmMainForm::btnQuitClick() { FView.Close(); }

void TfrmMainForm::mnuIncludeMicrosoftClick() {
  view::IMenuCheck& item = FView.mnuIncludeMicrosoft();
  item.SetChecked(!item.Checked());
}

void TfrmMainForm::mnuAboutClick() {
  TfrmAbout about(FView.CreateAboutWindow());
  about.ShowModal();
}

void TfrmMainForm::ShowProgress(const WString& title) {
  if (!FFrmProgress) FFrmProgress = std::make_unique<TfrmProgress>(FView.CreateProgressWindow());
  FFrmProgress->SetTitle(title);
}

void TfrmMainForm::CloseProgress() {
  // The field is null before the window goes, so nothing reaches a closing window.
  const std::unique_ptr<TfrmProgress> closing = std::move(FFrmProgress);
}

void TfrmMainForm::SetProgressText(const WString& text) {
  if (FFrmProgress) FFrmProgress->SetText(text);
}

void TfrmMainForm::AppendShellOutput(const WString& text) {
  FView.reOutput().InsertAtCaret(backup::ShellText(text));
}

int TfrmMainForm::ScaleToMonitor(int length) const { return dpi::Scale(length, FView.MonitorDpi()); }
