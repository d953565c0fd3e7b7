// A flat button without a border of its own: it paints what app/DrawingControls.h
// decides for its state (normal, hot, pressed, disabled, focused), shows a hand
// cursor and calls its click handler when released over itself. It takes the
// keyboard focus (Tab), Space and Enter press it, and its access key is
// underlined while the window shows keyboard cues.
#pragma once
#include <functional>
#include <memory>

#include "app/View.h"
#include "app/win32/Accessible.h"
#include "app/win32/Window.h"

namespace gui {

class FlatButton final : public Window, public view::ICommand {
 public:
  // `background`: the colour of what the button sits on.
  // `accessKey`: the letter that Alt presses it with (0: none).
  FlatButton(HWND parent, int id, const WString& caption, view::Rgb background, HFONT font, char16_t accessKey = 0);

  void OnClick(std::function<void()> handler) { onClick_ = std::move(handler); }
  // As a click: runs the handler when the button is enabled.
  void Press();
  char16_t AccessKey() const { return accessKey_; }
  // What screen readers call the button; empty: its caption.
  void SetAccessibleName(const WString& name);
  WString Caption() const;
  void SetCaption(const WString& caption);
  // The font is the owner's: it stays alive as long as the button.
  void SetFont(HFONT font);
  // The state as the mouse left it: for the painting and for tests.
  bool Hot() const { return hot_; }
  bool Pressed() const { return pressed_ && hot_; }

  bool Enabled() const override;
  void SetEnabled(bool enabled) override;

 private:
  // A push button to screen readers, named by its caption, pressed by its default action.
  class Speech final : public AccessibleModel {
   public:
    explicit Speech(FlatButton& button) : button_(button) {}
    long Role() const override { return ROLE_SYSTEM_PUSHBUTTON; }
    WString Name() const override;
    WString DefaultAction() const override { return u"Press"; }
    WString KeyboardShortcut() const override;
    void DoDefaultAction() override { button_.Press(); }

   private:
    FlatButton& button_;
  };

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint();
  void PaintTo(HDC dc, const RECT& client);
  void MouseMoved(int x, int y);
  void Released(int x, int y);
  void SetHot(bool hot);
  bool OnKey(UINT message, WPARAM key);

  view::Rgb background_;
  HFONT font_;
  char16_t accessKey_;
  bool spaceDown_ = false;
  WString accessibleName_;
  Speech speech_{*this};
  std::unique_ptr<AccessibleWindow> accessible_;
  std::function<void()> onClick_;
  bool hot_ = false;
  bool pressed_ = false;
};

}  // namespace gui
