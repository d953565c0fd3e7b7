#include "app/ProgressFormUnit.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "app/Dpi.h"

namespace {

WString FormatFixed(double v, int decimals, const char* unit, char16_t decimalSeparator) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%1.*f%s", decimals, v, unit);
  WString s = text::FromUtf8(buffer);
  for (char16_t& c : s)
    if (c == u'.') c = decimalSeparator;
  return s;
}

}  // namespace

WString FormatBytes(uint64_t n, char16_t decimalSeparator) {
  constexpr uint64_t KB = uint64_t(1) << 10, MB = uint64_t(1) << 20, GB = uint64_t(1) << 30,
                     TB = uint64_t(1) << 40;
  const double v = double(n);
  if (n >= TB) return FormatFixed(v / double(TB), 2, "TB", decimalSeparator);
  if (n >= GB) return FormatFixed(v / double(GB), 2, "GB", decimalSeparator);
  if (n >= MB) return FormatFixed(v / double(MB), 1, "MB", decimalSeparator);
  if (n >= KB) return FormatFixed(v / double(KB), 1, "KB", decimalSeparator);
  return text::FromUInt(n) + u"B";
}

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
  if (formatAsBytes)
    paint.caption = FormatBytes(uint64_t(value), decimalSeparator) + u" / " +
                    FormatBytes(uint64_t(total), decimalSeparator);
  else
    paint.caption = text::FromInt(value) + u" / " + text::FromInt(total);
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
