// The progress window: a title, one line of text and a bar captioned with its
// value and total, as counts or as byte sizes.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>

#include "app/View.h"
#include "platform/Text.h"

// What DrawProgressBar paints on a window of width W and height H.
struct ProgressBarPaint {
  view::Rect track;  // filled with the button-face colour
  view::Rect fill;   // from the track's left edge; may be wider than the track
  view::Rgb fillColour{192, 220, 192};
  WString caption;   // centred in the track, 10 pt, transparent
  int captionPoints = 10;
};
// Nothing (no bar) when total is 0 or less. W and H are the window's size in
// device pixels at `dpi`; the track's margins and height are scaled to it.
std::optional<ProgressBarPaint> DecideProgressBar(int W, int H, int64_t value, int64_t total, bool formatAsBytes,
                                                  char16_t decimalSeparator, int dpi = 96);

class TfrmProgress {
 public:
  explicit TfrmProgress(std::unique_ptr<view::IProgressWindowView> view);
  TfrmProgress(const TfrmProgress&) = delete;
  TfrmProgress& operator=(const TfrmProgress&) = delete;

  // Sets the title line and clears the text line; repaints at once and redraws the bar.
  void SetTitle(const WString& title);
  // Sets the text line; repaints at once and redraws the bar.
  void SetText(const WString& text);

  // None of these redraw.
  int64_t ProgressValue() const { return fProgressValue; }
  void SetProgressValue(int64_t value) { fProgressValue = value; }
  int64_t TotalValue() const { return fProgressTotal; }
  void SetTotalValue(int64_t total);  // also resets the value to 0
  bool FormatAsBytes() const { return fFormatAsBytes; }
  void SetFormatAsBytes(bool asBytes) { fFormatAsBytes = asBytes; }

  void SetProgressBar(int64_t ProgressVal, int64_t TotalVal);
  void DrawProgressBar();

 private:
  std::unique_ptr<view::IProgressWindowView> fView;
  int64_t fProgressTotal = 0;  // 0 or less: no bar
  int64_t fProgressValue = 0;
  bool fFormatAsBytes = false;
};
