// The About window: the program's title, its file version and a credit line.
#pragma once
#include <memory>

#include "app/View.h"
#include "platform/Text.h"

// "major.minor.release.build" from the file's version resource; empty when the
// file has none or it cannot be read.
WString GetFileVersionText(const WString& path);

class TfrmAbout {
 public:
  explicit TfrmAbout(std::unique_ptr<view::IAboutWindowView> view);
  // Sets the version line: "Quillon Version: " and the program's own file version.
  void FormShow();
  // FormShow, then the window runs modally until its "X" closes it.
  void ShowModal();

 private:
  std::unique_ptr<view::IAboutWindowView> view_;
};
