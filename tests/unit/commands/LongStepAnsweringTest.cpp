// A command on one big file keeps the window answering while that one file is
// hashed, not only when its progress moves on; closing the window meanwhile asks
// and stops the command after that file.
#include <chrono>

#include "tests/unit/commands/CommandMachine.h"

namespace commandtest {
namespace {

const std::string kQuestion =
    "[question] A command is still running. Stop it after the current file and close?";
constexpr size_t kBigFile = size_t(48) << 20;

class LongStepAnswering : public CommandTest {
 protected:
  void SetUp() override {
    Start();
    form->SetStillWorkingInterval(std::chrono::milliseconds(0));  // every tick answers
    view.onProcessMessages = [this] {
      if (view.progress && view.progress->textLabel == u"extra.bin") ++answersDuringExtra;
      if (onAnswer) onAnswer();
    };
  }
  // Puts extra.bin of `size` bytes into the audio codec's package, then selects
  // the device (its file list is read at the selection).
  void SelectWithExtraFile(size_t size) {
    WriteFile(PackageDir(kAudioCodecPackage) / "extra.bin", std::string(size, 'x'));
    Select(kAudioCodec);
  }

  int answersDuringExtra = 0;
  std::function<void()> onAnswer;
};

TEST_F(LongStepAnswering, ABigFileIsAnsweredDuringItsHashNotOnlyAtItsProgressSteps) {
  SelectWithExtraFile(1);
  form->btnVerifyClick();
  const int atProgressSteps = answersDuringExtra;  // its progress text, then its bar
  EXPECT_GT(atProgressSteps, 0);

  answersDuringExtra = 0;
  SelectWithExtraFile(kBigFile);
  form->btnVerifyClick();
  EXPECT_GT(answersDuringExtra, atProgressSteps);
  EXPECT_EQ(Occurrences(Log(), u"extra.bin"), 1u);  // the same check, of a bigger file
}

TEST_F(LongStepAnswering, ClosingDuringABigFilesHashAsksThenStopsAfterThatFile) {
  const fs::path out = Pick();
  Answer(true);
  bool mayClose = true;
  int asked = 0;
  onAnswer = [&] {
    // The first answer under this file is its progress text; the next one comes
    // while it is hashed.
    if (answersDuringExtra == 2 && asked++ == 0) mayClose = form->FormCloseQuery();
  };
  SelectWithExtraFile(kBigFile);
  form->btnExportClick();

  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(mayClose);  // not at once: first the command stops
  EXPECT_EQ(Messages(), std::vector<std::string>{kQuestion});
  EXPECT_EQ(Occurrences(Log(), u"extra.bin"), 1u);  // its check was finished
  EXPECT_EQ(Occurrences(Log(), u"*** Exporting Driver ***"), 0u);
  EXPECT_TRUE(Tree(out).empty());
  EXPECT_TRUE(view.closed);
  EXPECT_FALSE(form->CommandRunning());
}

}  // namespace
}  // namespace commandtest
