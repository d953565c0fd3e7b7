#include "app/win32/RichEdit.h"

#include <richedit.h>

#include <vector>

#include "backup/ReportText.h"
#include "app/win32/Gdi.h"
#include "app/win32/Window.h"
#include "platform/win32/Handles.h"

namespace gui {

namespace {

// The library of the RICHEDIT50W class, loaded once and kept for the process.
void LoadRichEditLibrary() {
  static const win32::UniqueModule library(::LoadLibraryW(L"Msftedit.dll"));
  if (!library) ThrowLastError("LoadLibrary(Msftedit.dll)");
}

}  // namespace

RichEdit::RichEdit(HWND parent, int id, HFONT font, view::Rgb background) {
  LoadRichEditLibrary();
  hwnd_.Attach(::CreateWindowExW(0, MSFTEDIT_CLASS, nullptr,
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_CLIPSIBLINGS | ES_MULTILINE |
                                ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL |
                                ES_DISABLENOSCROLL,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(INT_PTR(id)), ModuleInstance(), nullptr));
  if (!hwnd_.Get()) ThrowLastError("CreateWindowEx(RICHEDIT50W)");
  ::SendMessageW(hwnd_.Get(), EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
  ::SendMessageW(hwnd_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ::SendMessageW(hwnd_.Get(), EM_SETBKGNDCOLOR, 0, ToColorRef(background));
  // INF files and long logs exceed the default limit of 32K characters.
  ::SendMessageW(hwnd_.Get(), EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  // A target line width of 1 turns word wrapping off.
  ::SendMessageW(hwnd_.Get(), EM_SETTARGETDEVICE, 0, 1);
}

LONG RichEdit::EndPosition() const {
  GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return LONG(::SendMessageW(hwnd_.Get(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

wchar_t RichEdit::CharBefore(LONG position) const {
  if (position <= 0) return 0;
  wchar_t buffer[2] = {};
  TEXTRANGEW range{{position - 1, position}, buffer};
  ::SendMessageW(hwnd_.Get(), EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
  return buffer[0];
}

void RichEdit::Replace(const WString& text) {
  ::SendMessageW(hwnd_.Get(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(win32::Wide(text.c_str())));
}

void RichEdit::LinesClear() { SetText(WString()); }

void RichEdit::LinesAdd(const WString& line) {
  const LONG end = EndPosition();
  ::SendMessageW(hwnd_.Get(), EM_SETSEL, end, end);
  Replace(backup::LineToAppend(line, end > 0 ? char16_t(CharBefore(end)) : u'\0'));
}

void RichEdit::InsertAtCaret(const WString& text) { Replace(text); }

WString RichEdit::Text() const {
  GETTEXTLENGTHEX query{GTL_USECRLF | GTL_NUMCHARS | GTL_PRECISE, 1200};
  const LONG length = LONG(::SendMessageW(hwnd_.Get(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
  std::vector<wchar_t> buffer(size_t(length) + 1);
  GETTEXTEX get{DWORD(buffer.size() * sizeof(wchar_t)), GT_USECRLF, 1200, nullptr, nullptr};
  const LRESULT n = ::SendMessageW(hwnd_.Get(), EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                   reinterpret_cast<LPARAM>(buffer.data()));
  return WString(reinterpret_cast<const char16_t*>(buffer.data()), size_t(n));
}

void RichEdit::SetText(const WString& text) {
  SETTEXTEX set{ST_DEFAULT | ST_UNICODE, 1200};
  ::SendMessageW(hwnd_.Get(), EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set),
                 reinterpret_cast<LPARAM>(win32::Wide(text.c_str())));
  ::SendMessageW(hwnd_.Get(), EM_SETSEL, 0, 0);
}

}  // namespace gui
