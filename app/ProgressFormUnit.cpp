#include "app/ProgressFormUnit.h"

#include <cmath>

#include "app/Dpi.h"
#include "backup/ProgressCaption.h"

std::optional<ProgressBarPaint> DecideProgressBar(int W, int H, int64_t value, int64_t total, bool formatAsBytes,
                                                  char16_t decimalSeparator, int dpi) {
  if (total <= 0) return std::nullopt;
  ProgressBarPaint paint;
  const int margin = dpi::Scale(10, dpi);
  paint.track = {margin, H - dpi::Scale(28, dpi), W - margin, H - margin};
  // The percentage goes through single precision before it scales the width.
  const float percent = float(double(value) * 100.0 / double(total));
  const int fillWidth = int(std::trunc(double(W - 2 * margin) * double(percent) / 100.0));
  paint.fill = {paint.track.left, paint.track.top, paint.track.left + fillWidth, paint.track.bottom};
  paint.caption = backup::BarCaption(value, total, formatAsBytes, decimalSeparator);
  return paint;
}

TfrmProgress::TfrmProgress(std::unique_ptr<view::IProgressWindowView> view) : fView(std::move(view)) {}

void TfrmProgress::SetTitle(const WString& title) {
  fView->SetTitleLabel(title);
  fView->SetTextLabel(WString());
  fView->Repaint();
  DrawProgressBar();
}

void TfrmProgress::SetText(const WString& text) {
  fView->SetTextLabel(text);
  fView->Repaint();
  DrawProgressBar();
}

void TfrmProgress::SetTotalValue(int64_t total) {
  fProgressTotal = total;
  fProgressValue = 0;
}

void TfrmProgress::SetProgressBar(int64_t ProgressVal, int64_t TotalVal) {
  fProgressValue = ProgressVal;
  fProgressTotal = TotalVal;
  DrawProgressBar();
}

void TfrmProgress::DrawProgressBar() {
  const auto paint = DecideProgressBar(fView->Width(), fView->Height(), fProgressValue, fProgressTotal,
                                       fFormatAsBytes, fView->DecimalSeparator(), fView->Dpi());
  if (!paint) return;
  fView->FillRectButtonFace(paint->track);
  fView->FillRect(paint->fill, paint->fillColour);
  fView->DrawCentredText(paint->track, paint->caption, paint->captionPoints);
}
