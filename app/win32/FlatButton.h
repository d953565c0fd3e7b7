// A flat button without a border of its own: it paints what app/DrawingControls.h
// decides for its state (normal, hot, pressed, disabled), shows a hand cursor and
// calls its click handler when released over itself.
#pragma once
#include <functional>

#include "app/View.h"
#include "app/win32/Window.h"

namespace gui {

class FlatButton final : public Window, public view::ICommand {
 public:
  // `background`: the colour of what the button sits on.
  FlatButton(HWND parent, int id, const WString& caption, view::Rgb background, HFONT font);

  void OnClick(std::function<void()> handler) { onClick_ = std::move(handler); }
  WString Caption() const;
  void SetCaption(const WString& caption);
  // The state as the mouse left it: for the painting and for tests.
  bool Hot() const { return hot_; }
  bool Pressed() const { return pressed_ && hot_; }

  bool Enabled() const override;
  void SetEnabled(bool enabled) override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint();
  void PaintTo(HDC dc, const RECT& client);
  void MouseMoved(int x, int y);
  void Released(int x, int y);
  void SetHot(bool hot);

  view::Rgb background_;
  HFONT font_;
  std::function<void()> onClick_;
  bool hot_ = false;
  bool pressed_ = false;
};

}  // namespace gui
