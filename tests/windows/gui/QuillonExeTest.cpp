// Quillon.exe itself under Wine: it starts, scans and fills its tree, and when
// its window is closed the process ends with exit code 0.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring QuillonExePath() {
  // The build tree as Wine sees it: the host's root is drive Z:.
  std::string path = std::string(QUILLON_BINARY_DIR) + "/app/win32/Quillon.exe";
  std::wstring wide = L"Z:";
  for (char c : path) wide += c == '/' ? L'\\' : wchar_t(c);
  return wide;
}

struct Found {
  DWORD processId;
  HWND window = nullptr;
};

HWND MainWindowOf(DWORD processId) {
  Found found{processId};
  ::EnumWindows(
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        auto& f = *reinterpret_cast<Found*>(lParam);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        wchar_t name[64] = {};
        ::GetClassNameW(hwnd, name, 64);
        if (owner != f.processId || std::wstring(name) != L"QuillonMainWindow") return TRUE;
        f.window = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.window;
}

HWND TreeOf(HWND main) { return ::FindWindowExW(main, nullptr, WC_TREEVIEWW, nullptr); }

// Ends the child whatever a test left it doing.
class ChildProcess {
 public:
  explicit ChildProcess(std::wstring commandLine) {
    STARTUPINFOW startup{sizeof(startup)};
    started_ = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                &info_) != FALSE;
  }
  ~ChildProcess() {
    if (!started_) return;
    if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(info_.hProcess, 99);
    ::CloseHandle(info_.hThread);
    ::CloseHandle(info_.hProcess);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  bool Started() const { return started_; }
  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Process() const { return info_.hProcess; }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

// The first scan runs after the window is shown: waits for its tree (20 s at most)
// and gives the main window (null if none appeared) and the tree's node count.
HWND WaitForFirstScan(const ChildProcess& quillon, DWORD_PTR& nodes) {
  HWND main = nullptr;
  nodes = 0;
  for (int i = 0; i < 200 && nodes == 0; ++i) {
    ::Sleep(100);
    if (!main) main = MainWindowOf(quillon.Id());
    // Never blocked by a busy child: a scan in progress answers later.
    if (main && !::SendMessageTimeoutW(TreeOf(main), TVM_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &nodes)) nodes = 0;
  }
  return main;
}

TEST(QuillonExe, StartsScansAndEndsWithExitCodeZeroWhenClosed) {
  ChildProcess quillon(L"\"" + QuillonExePath() + L"\"");
  ASSERT_TRUE(quillon.Started()) << "cannot start Quillon.exe, error " << ::GetLastError();

  DWORD_PTR nodes = 0;
  HWND main = WaitForFirstScan(quillon, nodes);
  ASSERT_NE(main, nullptr) << "no main window appeared";
  EXPECT_GT(nodes, 2u) << "the tree holds no devices";
  wchar_t caption[64] = {};
  ::GetWindowTextW(main, caption, 64);
  EXPECT_STREQ(caption, L"NAVU Driver Backup");
  EXPECT_TRUE(::IsWindowVisible(main));

  ASSERT_TRUE(::PostMessageW(main, WM_CLOSE, 0, 0));
  ASSERT_EQ(::WaitForSingleObject(quillon.Process(), 20000), WAIT_OBJECT_0) << "Quillon.exe did not end";
  DWORD exitCode = 1234;
  ASSERT_TRUE(::GetExitCodeProcess(quillon.Process(), &exitCode));
  EXPECT_EQ(exitCode, 0u);
}

// A screen reader's view from another process: the names and roles it reads
// through MSAA from the running program's own controls.
TEST(QuillonExe, ScreenReadersInAnotherProcessReadItsButtonsAndGrids) {
  const bool comReady = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  {
    ChildProcess quillon(L"\"" + QuillonExePath() + L"\"");
    ASSERT_TRUE(quillon.Started());
    DWORD_PTR nodes = 0;
    HWND main = WaitForFirstScan(quillon, nodes);
    ASSERT_NE(main, nullptr);
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;

    IAccessible* button = nullptr;
    HWND scan = ::FindWindowExW(main, nullptr, L"QuillonFlatButton", nullptr);
    ASSERT_EQ(::AccessibleObjectFromWindow(scan, DWORD(OBJID_CLIENT), IID_IAccessible,
                                           reinterpret_cast<void**>(&button)),
              S_OK);
    BSTR name = nullptr;
    EXPECT_EQ(button->get_accName(self, &name), S_OK);
    EXPECT_STREQ(name ? name : L"", L"Scan Hardware");
    ::SysFreeString(name);
    VARIANT role;
    ::VariantInit(&role);
    EXPECT_EQ(button->get_accRole(self, &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_PUSHBUTTON);
    button->Release();

    IAccessible* grid = nullptr;
    HWND properties = ::FindWindowExW(main, nullptr, L"QuillonStringGrid", nullptr);
    ASSERT_EQ(::AccessibleObjectFromWindow(properties, DWORD(OBJID_CLIENT), IID_IAccessible,
                                           reinterpret_cast<void**>(&grid)),
              S_OK);
    long rows = 0;
    EXPECT_EQ(grid->get_accChildCount(&rows), S_OK);
    EXPECT_EQ(rows, 2);  // the header and the empty row a scan leaves
    VARIANT header;
    ::VariantInit(&header);
    header.vt = VT_I4;
    header.lVal = 1;
    EXPECT_EQ(grid->get_accName(header, &name), S_OK);
    EXPECT_STREQ(name ? name : L"", L"Property Name, Property Value");
    ::SysFreeString(name);
    grid->Release();
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(quillon.Process(), 20000);
  }
  if (comReady) ::CoUninitialize();
}

}  // namespace
