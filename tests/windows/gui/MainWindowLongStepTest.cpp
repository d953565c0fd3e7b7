// Export Driver from the real window under Wine on a package with one big file:
// while its check hashes the file and its export copies, compresses and reads it
// back, another thread keeps asking the window whether it answers, as Windows does
// before it ghosts a window as "Not Responding". Every question must be answered
// soon, also in the middle of one long step on that one file.
#include <windows.h>

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
// Between an answer and the next question: the window's thread is asked often,
// never kept busy answering.
constexpr milliseconds kPause{20};
// A progress step answers a question there and then, whether or not the long call
// after it does; the long call's first answer comes one interval after it began.
// So an answer this long after the step's progress text was set (and, in the
// check, before the file's hash was logged) came from inside the call.
constexpr milliseconds kAfterItsStep = working::kTickInterval / 2;
// Answers inside the hash of the big file. It lasts several intervals here and
// answers about once per interval; a call that blocks the window's thread answers
// never (its wait, some 500 ms here, is too short for the bound above to notice).
// The copy of the file is one system call that may end within an interval (it
// runs beside the ticking thread all the same): its answers are not counted on.
constexpr int kAnswersInsideACall = 1;
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

// One question the window answered, and where the command was then.
struct AnsweredAt {
  std::wstring title, text;  // the progress window's lines
  milliseconds sinceText{};  // since the text line was set
  bool hashLogged = false;   // the big file's hash was in the log already
};

class MainWindowLongStep : public MainWindowFixture {
 protected:
  void SetUp() override {
    if (!fs::exists(FixtureFolder() / "long-step.json"))
      GTEST_SKIP() << "fixtures missing: build the linux preset first";
    package = ReadPackage();
    bigFile = std::wstring(package.bigFile.begin(), package.bigFile.end());
    RemoveEarlierRuns();
    storeFolder = fs::path(temp.Path()) / "DriverStore" / "FileRepository" / "longstep.inf_amd64_5a1e";
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

    std::printf("starting the window\n");
    MainWindowFixture::SetUp();
    ASSERT_NE(StartWithFirstDevice(), view::kNoNode);
    picker.answer = text::FromPath(out);
    watching = this;
    hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &MainWindowLongStep::Watch, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
  }
  void TearDown() override {
    if (hook) ::UnhookWindowsHookEx(hook);
    watching = nullptr;
    MainWindowFixture::TearDown();
    installed.reset();
    // Wine keeps a checked catalog open until the process ends (Windows closes
    // it), so the folder cannot go whole: the big file and the archive go now.
    std::error_code ec;
    fs::remove(storeFolder / bigFile, ec);
    fs::remove_all(out, ec);
  }
  // What earlier runs had to leave (see TearDown); window tests run one at a time.
  void RemoveEarlierRuns() const {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(temp.Path()).parent_path(), ec)) {
      const std::wstring name = entry.path().filename().wstring();
      if (name.rfind(L"quillon-long-step-", 0) == 0 && entry.path() != fs::path(temp.Path()))
        fs::remove_all(entry.path(), ec);
    }
  }

  // Every message the window's thread handles passes here first (the hook has no
  // pointer of its own: one test at a time per process).
  static inline MainWindowLongStep* watching = nullptr;
  static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && watching) watching->Note(*reinterpret_cast<const CWPSTRUCT*>(lParam));
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }
  void Note(const CWPSTRUCT& sent) {
    if (sent.message == WM_SETTEXT && IsProgressLabel(sent.hwnd)) {
      const std::wstring line = sent.lParam ? reinterpret_cast<const wchar_t*>(sent.lParam) : L"";
      if (::GetDlgCtrlID(sent.hwnd) == gui::kProgressTitleId) title = line;
      if (::GetDlgCtrlID(sent.hwnd) != gui::kProgressTextId) return;
      text = line;
      textSet = AnswerProbe::Clock::now();
    } else if (sent.message == WM_NULL && sent.hwnd == Main()) {
      const auto since = std::chrono::duration_cast<milliseconds>(AnswerProbe::Clock::now() - textSet);
      answeredAt.push_back({title, text, since, text == bigFile && HashLogged()});
    }
  }
  static bool IsProgressLabel(HWND control) {
    wchar_t name[64] = {};
    ::GetClassNameW(::GetParent(control), name, 64);
    return std::wstring(name) == gui::kProgressWindowClass;
  }
  // Whether the log has the big file's hash, below its heading.
  bool HashLogged() const {
    const WString log = window->OutputBox().Text();
    const size_t heading = log.rfind(u"File       : " + text::FromUtf8(package.bigFile));
    return heading != WString::npos && log.find(u"SHA-1", heading) != WString::npos;
  }

  int AnsweredWhile(const std::wstring& title, const std::wstring& text = {}) const {
    return int(std::count_if(answeredAt.begin(), answeredAt.end(), [&](const AnsweredAt& at) {
      return at.title == title && (text.empty() || at.text == text);
    }));
  }
  // Answers while one step was under way, not at the progress step that began it:
  // its text line set some time before, and (for the check) the hash not yet logged.
  int AnsweredInside(const std::wstring& title, const std::wstring& text = {}) const {
    return int(std::count_if(answeredAt.begin(), answeredAt.end(), [&](const AnsweredAt& at) {
      return at.title == title && (text.empty() || at.text == text) && at.sinceText >= kAfterItsStep &&
             !at.hashLogged;
    }));
  }
  // Every progress line with its answers, for the test log.
  void PrintAnswers(milliseconds took, milliseconds longest, size_t asked) const {
    std::map<std::wstring, int> counts;
    for (const AnsweredAt& at : answeredAt) ++counts[at.title + L" | " + at.text];
    std::printf("export took %lld ms; %zu questions, the longest wait %lld ms; answers by progress line:\n",
                static_cast<long long>(took.count()), asked, static_cast<long long>(longest.count()));
    for (const auto& [line, count] : counts) std::printf("  %4d  %ls\n", count, line.c_str());
    std::printf("inside the hash %d, inside the copy %d\n", AnsweredInside(L"Verifying Driver Files", bigFile),
                AnsweredInside(L"Exporting Driver"));
  }

  win32_test::TempFolder temp{L"long-step"};
  LongStepPackage package;
  fs::path storeFolder, out;
  std::optional<OnePackageStore> store;
  Platform withStore;
  std::optional<ScopedPlatform> installed;
  HHOOK hook = nullptr;
  std::wstring bigFile;
  std::wstring title, text;  // the progress window's lines
  AnswerProbe::Clock::time_point textSet;
  std::vector<AnsweredAt> answeredAt;
};

TEST_F(MainWindowLongStep, AnswersThroughoutTheExportOfABigFile) {
  Watchdog watchdog(std::chrono::seconds(120));
  std::printf("exporting\n");
  const auto begun = AnswerProbe::Clock::now();
  AnswerProbe probe(Main(), kGiveUp, kPause);
  Click(window->ToolbarButton(layout::kExport).Handle(), 2, 2);
  const auto ended = AnswerProbe::Clock::now();
  std::printf("exported; stopping the questions\n");
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
  // the calls on the big file (its hash for the check, its compression).
  EXPECT_GE(AnsweredInside(L"Verifying Driver Files", bigFile), kAnswersInsideACall);
  EXPECT_GE(AnsweredWhile(L"Creating Archive"), kAnswersWhileCompressing);
}

}  // namespace
}  // namespace gui_test
