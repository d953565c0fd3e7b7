// The shared folder picker `dlg` on the system's file dialog in folder mode.
#pragma once
#include <windows.h>

#include <memory>

#include "app/View.h"

// Each Execute opens a fresh dialog owned by `owner`; the title, default folder
// and the last chosen folder stay with the picker.
std::unique_ptr<view::IFolderPicker> CreateWin32FolderPicker(HWND owner);
