// A splitter bar between two docked panels. Dragging reports the distance from
// where the drag began; the owner resizes its panel and lays the window out.
#pragma once
#include <functional>

#include "app/View.h"
#include "app/win32/Window.h"

namespace gui {

class Splitter final : public Window {
 public:
  enum class Direction { Vertical, Horizontal };  // vertical: moves left and right
  Splitter(HWND parent, int id, Direction direction, view::Rgb colour);

  // Called when a drag begins and on every mouse move of it, with the distance in
  // pixels from the drag's start (x for vertical, y for horizontal splitters).
  void OnDragStart(std::function<void()> handler) { onStart_ = std::move(handler); }
  void OnDrag(std::function<void(int delta)> handler) { onDrag_ = std::move(handler); }
  bool Dragging() const { return dragging_; }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  POINT ScreenPoint(LPARAM lParam) const;
  int Along(POINT screen) const { return direction_ == Direction::Vertical ? screen.x : screen.y; }

  Direction direction_;
  view::Rgb colour_;
  std::function<void()> onStart_;
  std::function<void(int)> onDrag_;
  bool dragging_ = false;
  int start_ = 0;
};

}  // namespace gui
