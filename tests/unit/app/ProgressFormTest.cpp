#include <gtest/gtest.h>

#include "app/MemoryView.h"
#include "app/ProgressFormUnit.h"

namespace {

class ProgressWindow : public ::testing::Test {
 protected:
  ProgressWindow() {
    auto surface = std::make_unique<memview::MemoryProgressWindow>(events, u'.', &window);
    form = std::make_unique<TfrmProgress>(std::move(surface));
  }
  memview::ProgressEvents events;
  memview::MemoryProgressWindow* window = nullptr;
  std::unique_ptr<TfrmProgress> form;
};

TEST_F(ProgressWindow, ThreeOfTenFillsOneHundredTwentyNinePixels) {
  form->SetProgressBar(3, 10);
  ASSERT_TRUE(window->lastFill);
  EXPECT_EQ(window->lastFill->Width(), 129);
  EXPECT_EQ(*window->lastTrack, (view::Rect{10, 91, 442, 109}));
  EXPECT_EQ(window->lastFill->left, 10);
  EXPECT_EQ(window->lastFillColour, (view::Rgb{192, 220, 192}));
  EXPECT_EQ(window->lastCaption, u"3 / 10");
  EXPECT_EQ(window->lastCaptionPoints, 10);
}

TEST_F(ProgressWindow, NoTotalDrawsNoBar) {
  form->SetProgressBar(5, 0);
  form->SetProgressBar(5, -1);
  EXPECT_EQ(window->barsDrawn, 0);
}

TEST_F(ProgressWindow, ValueAboveTheTotalIsNotClipped) {
  auto paint = DecideProgressBar(452, 119, 20, 10, false, u'.');
  ASSERT_TRUE(paint);
  EXPECT_EQ(paint->fill.Width(), 864);
}

TEST_F(ProgressWindow, ByteCaptionsFormatBothSides) {
  form->SetFormatAsBytes(true);
  form->SetProgressBar(1024, 1048576);
  EXPECT_EQ(window->lastCaption, u"1.0KB / 1.0MB");
}

TEST_F(ProgressWindow, WritingTheTotalResetsTheValueWithoutRedrawing) {
  form->SetProgressBar(3, 10);
  const int drawn = window->barsDrawn;
  form->SetTotalValue(50);
  EXPECT_EQ(form->ProgressValue(), 0);
  EXPECT_EQ(form->TotalValue(), 50);
  form->SetProgressValue(25);
  EXPECT_EQ(window->barsDrawn, drawn);
  form->SetText(u"file.sys");
  EXPECT_EQ(window->barsDrawn, drawn + 1);
  EXPECT_EQ(window->lastCaption, u"25 / 50");
}

TEST_F(ProgressWindow, TitleClearsTheTextLineAndRepaints) {
  form->SetText(u"old");
  const int repaints = window->repaints;
  form->SetTitle(u"Creating Archive");
  EXPECT_EQ(window->titleLabel, u"Creating Archive");
  EXPECT_EQ(window->textLabel, u"");
  EXPECT_EQ(window->repaints, repaints + 1);
}

}  // namespace
