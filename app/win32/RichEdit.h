// reInfFile and reOutput: read-only plain-text rich edit boxes, Consolas 10 pt
// on cream, both scroll bars, no border, no line wrapping.
#pragma once
#include <windows.h>

#include "app/win32/WindowHandles.h"
#include "app/View.h"

namespace gui {

class RichEdit final : public view::IRichEdit {
 public:
  RichEdit(HWND parent, int id, HFONT font, view::Rgb background);  // throws QuillonError
  RichEdit(const RichEdit&) = delete;
  RichEdit& operator=(const RichEdit&) = delete;

  void LinesClear() override;
  void LinesAdd(const WString& line) override;
  void InsertAtCaret(const WString& text) override;
  WString Text() const override;  // line breaks as CR LF
  void SetText(const WString& text) override;

  HWND Handle() const { return hwnd_.Get(); }

 private:
  // The box keeps a line break as one CR; positions count it as one character.
  LONG EndPosition() const;
  wchar_t CharBefore(LONG position) const;
  void Replace(const WString& text);

  UniqueWindow hwnd_;
};

}  // namespace gui
