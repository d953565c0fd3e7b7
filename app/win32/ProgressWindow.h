// The Win32 progress window: borderless, topmost, centred over its owner, with
// a title line, a text line, the logo and the bar the logic draws directly.
#pragma once
#include <windows.h>

#include <memory>

#include "app/View.h"

namespace gui {

// The window's class and its labels' control ids (tests find them by these).
constexpr const wchar_t* kProgressWindowClass = L"QuillonProgressWindow";
constexpr int kProgressTitleId = 101;  // lblTitle
constexpr int kProgressTextId = 102;   // lblText

}  // namespace gui

// Shown (without taking the focus) as soon as it is created; destroyed with the view.
std::unique_ptr<view::IProgressWindowView> CreateWin32ProgressWindow(HWND owner);
