// Export Driver from the real window under Wine on a package with one big file:
// while its check hashes the file and its export copies, compresses and reads it
// back, another thread keeps asking the window whether it answers, as Windows does
// before it ghosts a window as "Not Responding". Every question must be answered
// soon, also in the middle of one long step on that one file.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/win32/ProgressWindow.h"
#include "platform/StillWorking.h"
#include "windows/gui/AnswerProbe.h"
#include "windows/gui/GuiFixture.h"
#include "windows/gui/OnePackageStore.h"
#include "windows/gui/ThreadWindows.h"
#include "windows/support/Fixtures.h"
#include "windows/support/Win32TestPlatform.h"

namespace gui_test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// Windows ghosts a window that has not answered for 5 s. The window answers at
// least every working::kTickInterval (100 ms) plus one piece of work (a read and
// hash of a buffer, one call of the compressor); a busy 2-core machine can hold a
// thread off for some hundreds of milliseconds more. 2 s is far above all of that
// and still well below the ghosting limit.
constexpr milliseconds kLongestWait{2000};
static_assert(kLongestWait >= 10 * working::kTickInterval, "a wait bound the window's own interval can reach");
// A question that is not answered within this counts as not answered at all.
constexpr milliseconds kGiveUp{10000};
// Longer than the window takes to pump its queue once, so that one progress step
// answers one question.
constexpr milliseconds kPause{20};
// A progress step (a file's progress text, its bar after) answers a question
// there and then, whether or not the long call between them does. So: more answers
// under one progress line than its steps give show that the window answered inside
// the long call on the big file; a small file gives no more than its steps.
constexpr int kAnswersAtTheHashsSteps = 2;  // its text, its bar
constexpr int kAnswersAtTheCopysSteps = 1;  // the store folder's name
// The compression redraws its bar once per piece: a long run of answers there.
constexpr int kAnswersWhileCompressing = 10;

fs::path FixtureFolder() { return fs::path(text::ToPath(win32_test::FixturePath("long-step-package"))); }

// The package the fixtures made (INF and catalog) and how its big file is written.
struct LongStepPackage {
  std::string inf, catalog, bigFile, line;
  uint64_t repeats = 0;
};

LongStepPackage ReadPackage() {
  std::ifstream in(FixtureFolder() / "long-step.json");
  const nlohmann::json json = nlohmann::json::parse(in);
  return {json.at("inf"), json.at("catalog"), json.at("bigFile"), json.at("line"), json.at("repeats")};
}

// The big file, streamed out in pieces of whole lines.
void WriteBigFile(const fs::path& file, const std::string& line, uint64_t repeats) {
  std::ofstream out(file, std::ios::binary);
  constexpr uint64_t kLinesPerPiece = 16384;
  std::string piece;
  for (uint64_t i = 0; i < kLinesPerPiece; ++i) piece += line;
  for (uint64_t written = 0; written < repeats; written += kLinesPerPiece) {
    const uint64_t lines = std::min(kLinesPerPiece, repeats - written);
    out.write(piece.data(), std::streamsize(lines * line.size()));
  }
  if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

// What the progress window showed when the window answered one question.
struct AnsweredAt {
  std::wstring title, text;
};

class MainWindowLongStep : public MainWindowFixture {
 protected:
  void SetUp() override {
    if (!fs::exists(FixtureFolder() / "long-step.json"))
      GTEST_SKIP() << "fixtures missing: build the linux preset first";
    package = ReadPackage();
    const fs::path storeFolder = fs::path(temp.Path()) / "DriverStore" / "FileRepository" / "longstep.inf_amd64_5a1e";
    fs::create_directories(storeFolder);
    fs::copy_file(FixtureFolder() / package.inf, storeFolder / package.inf);
    fs::copy_file(FixtureFolder() / package.catalog, storeFolder / package.catalog);
    WriteBigFile(storeFolder / package.bigFile, package.line, package.repeats);
    out = fs::path(temp.Path()) / "out";
    fs::create_directories(out);

    store.emplace(*Os().setup, text::FromPath(storeFolder / package.inf), text::FromUtf8(package.inf),
                  text::FromUtf8(package.catalog));
    withStore = Os();
    withStore.setup = &*store;
    installed.emplace(withStore);

    MainWindowFixture::SetUp();
    ASSERT_NE(StartWithFirstDevice(), view::kNoNode);
    picker.answer = text::FromPath(out);
    ::SetWindowSubclass(Main(), &MainWindowLongStep::NoteAnswer, 0, reinterpret_cast<DWORD_PTR>(this));
  }
  void TearDown() override {
    if (window) ::RemoveWindowSubclass(Main(), &MainWindowLongStep::NoteAnswer, 0);
    MainWindowFixture::TearDown();
    installed.reset();
  }

  // On the window's thread, as it answers a question: what its progress window shows.
  static LRESULT CALLBACK NoteAnswer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) {
    if (message == WM_NULL) {
      AnsweredAt at;
      if (HWND progress = FindThreadWindow(gui::kProgressWindowClass)) {
        at.title = WindowText(::GetDlgItem(progress, gui::kProgressTitleId));
        at.text = WindowText(::GetDlgItem(progress, gui::kProgressTextId));
      }
      reinterpret_cast<MainWindowLongStep*>(self)->answeredAt.push_back(at);
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
  }
  int AnsweredWhile(const std::wstring& title, const std::wstring& text = {}) const {
    return int(std::count_if(answeredAt.begin(), answeredAt.end(), [&](const AnsweredAt& at) {
      return at.title == title && (text.empty() || at.text == text);
    }));
  }
  // Every progress line with its answers, for the test log.
  void PrintAnswers(milliseconds took, milliseconds longest, size_t asked) const {
    std::map<std::wstring, int> counts;
    for (const AnsweredAt& at : answeredAt) ++counts[at.title + L" | " + at.text];
    std::printf("export took %lld ms; %zu questions, the longest wait %lld ms; answers by progress line:\n",
                static_cast<long long>(took.count()), asked, static_cast<long long>(longest.count()));
    for (const auto& [line, count] : counts) std::printf("  %4d  %ls\n", count, line.c_str());
  }

  win32_test::TempFolder temp{L"long-step"};
  LongStepPackage package;
  fs::path out;
  std::optional<OnePackageStore> store;
  Platform withStore;
  std::optional<ScopedPlatform> installed;
  std::vector<AnsweredAt> answeredAt;
};

TEST_F(MainWindowLongStep, AnswersThroughoutTheExportOfABigFile) {
  const auto begun = AnswerProbe::Clock::now();
  AnswerProbe probe(Main(), kGiveUp, kPause);
  Click(window->ToolbarButton(layout::kExport).Handle(), 2, 2);
  const auto ended = AnswerProbe::Clock::now();
  const std::vector<AnswerProbe::Answer> answers = probe.Stop();

  // The export went through: checked, archived, announced.
  ASSERT_EQ(os.dialogs.shown.size(), 1u) << text::ToUtf8(window->OutputBox().Text());
  EXPECT_EQ(os.dialogs.shown[0].text, u"Driver exported successfully.") << text::ToUtf8(window->OutputBox().Text());
  ASSERT_EQ(os.programs.started.size(), 1u);
  EXPECT_NE(os.programs.started[0].find(text::FromPath(out)), WString::npos) << text::ToUtf8(os.programs.started[0]);

  // Every question was answered, none late.
  milliseconds longest{0};
  int unanswered = 0;
  for (const AnswerProbe::Answer& answer : answers) {
    if (!answer.ok) ++unanswered;
    longest = std::max(longest, std::chrono::duration_cast<milliseconds>(answer.Wait()));
  }
  PrintAnswers(std::chrono::duration_cast<milliseconds>(ended - begun), longest, answers.size());
  EXPECT_EQ(unanswered, 0);
  EXPECT_LT(longest, kLongestWait);

  // Not by luck of a short command: the window answered again and again inside
  // the calls on the big file (its hash for the check, its copy, its compression).
  const std::wstring bigFile(package.bigFile.begin(), package.bigFile.end());
  EXPECT_GT(AnsweredWhile(L"Verifying Driver Files", bigFile), kAnswersAtTheHashsSteps);
  EXPECT_GT(AnsweredWhile(L"Exporting Driver"), kAnswersAtTheCopysSteps);
  EXPECT_GE(AnsweredWhile(L"Creating Archive"), kAnswersWhileCompressing);
}

}  // namespace
}  // namespace gui_test
