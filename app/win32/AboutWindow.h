// The Win32 About window: borderless and topmost like the progress window, with
// the program's title, the version line, a credit line and an "X" button.
#pragma once
#include <windows.h>

#include <memory>

#include "app/View.h"

namespace gui {

// The window's class and its controls' ids (tests find them by these).
constexpr const wchar_t* kAboutWindowClass = L"QuillonAboutWindow";
constexpr int kAboutTitleId = 101;    // lblTitle
constexpr int kAboutVersionId = 102;  // lblText
constexpr int kAboutCreditId = 103;   // Label1
constexpr int kAboutCloseId = IDCANCEL;  // btnClose: Escape presses it too

}  // namespace gui

// Made hidden; ShowModal disables `owner` until the window is closed.
std::unique_ptr<view::IAboutWindowView> CreateWin32AboutWindow(HWND owner);
