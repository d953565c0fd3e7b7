// TfrmMainForm: the command layer's report and progress sinks at the window's end.
#include "app/MainFormUnit.h"

void TfrmMainForm::TShellLog::AddLine(const WString& line) { FForm.FView.reOutput().LinesAdd(line); }

void TfrmMainForm::TShellLog::Append(const WString& text) { FForm.AppendShellOutput(text); }

void TfrmMainForm::TProgressSink::Show(const WString& title) { FForm.ShowProgress(title); }

// The steps and the redraws of a command's progress are where the window answers
// its messages while the command runs.
void TfrmMainForm::TProgressSink::SetText(const WString& text) {
  FForm.SetProgressText(text);
  FForm.KeepAnswering();
}

void TfrmMainForm::TProgressSink::SetFormatAsBytes(bool asBytes) {
  if (FForm.FFrmProgress) FForm.FFrmProgress->SetFormatAsBytes(asBytes);
}

void TfrmMainForm::TProgressSink::SetTotal(int64_t total) {
  if (FForm.FFrmProgress) FForm.FFrmProgress->SetTotalValue(total);
}

void TfrmMainForm::TProgressSink::SetValue(int64_t value) {
  if (FForm.FFrmProgress) FForm.FFrmProgress->SetProgressValue(value);
}

void TfrmMainForm::TProgressSink::SetBar(int64_t value, int64_t total) {
  if (FForm.FFrmProgress) FForm.FFrmProgress->SetProgressBar(value, total);
  FForm.KeepAnswering();
}

void TfrmMainForm::TProgressSink::Draw() {
  if (FForm.FFrmProgress) FForm.FFrmProgress->DrawProgressBar();
  FForm.KeepAnswering();
}
