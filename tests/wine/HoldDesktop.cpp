// hold-desktop start | stop: holds the Wine prefix's desktop open while the
// Windows tests run.
//
// Wine ends a desktop one second after its last user process has gone: the
// desktop's owner (explorer.exe) is told to close and destroys the desktop
// window. Tests are processes that come and go, so the desktop used to close
// and open again around nearly every test, and a test starting in that second
// could take the handle of the desktop window just before it went: its first
// CreateWindowEx then failed with ERROR_INVALID_WINDOW_HANDLE. A process that
// stays attached to the desktop for the whole run keeps it, and its window, in
// place.
//
// "start" starts the holder (this program with "hold", detached, inheriting
// nothing) and returns once it holds the desktop window; when one is holding
// already it returns at once. "stop" tells the holder to go and waits for it.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t kStopEvent[] = L"Local\\QuillonTestDesktopStop";
const wchar_t kReadyEvent[] = L"Local\\QuillonTestDesktopReady";
const wchar_t kHolderMutex[] = L"Local\\QuillonTestDesktopHolder";
constexpr DWORD kStartLimitMs = 120000;
// A holder whose run was never stopped (ctest killed) goes by itself.
constexpr DWORD kHoldLimitMs = 6 * 60 * 60 * 1000;

int Fail(const char* what) {
  std::fprintf(stderr, "hold-desktop: %s failed (error %lu)\n", what, ::GetLastError());
  return 1;
}

class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE h) : h_(h) {}
  ~OwnedHandle() {
    if (h_) ::CloseHandle(h_);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
};

// The holder: attached to the desktop (user32 is loaded), with the desktop
// window made, until "stop" or the limit.
int Hold() {
  OwnedHandle holder(::CreateMutexW(nullptr, TRUE, kHolderMutex));
  if (!holder.Get()) return Fail("CreateMutex");
  OwnedHandle stop(::CreateEventW(nullptr, TRUE, FALSE, kStopEvent));
  OwnedHandle ready(::CreateEventW(nullptr, TRUE, FALSE, kReadyEvent));
  if (!stop.Get() || !ready.Get()) return Fail("CreateEvent");
  if (!::GetDesktopWindow()) return Fail("GetDesktopWindow");
  ::SetEvent(ready.Get());
  ::WaitForSingleObject(stop.Get(), kHoldLimitMs);
  ::ResetEvent(ready.Get());
  ::ReleaseMutex(holder.Get());
  return 0;
}

bool Holding() {
  OwnedHandle ready(::OpenEventW(SYNCHRONIZE, FALSE, kReadyEvent));
  return ready.Get() && ::WaitForSingleObject(ready.Get(), 0) == WAIT_OBJECT_0;
}

int Start() {
  if (Holding()) return 0;
  OwnedHandle ready(::CreateEventW(nullptr, TRUE, FALSE, kReadyEvent));
  if (!ready.Get()) return Fail("CreateEvent");
  wchar_t self[MAX_PATH];
  if (!::GetModuleFileNameW(nullptr, self, MAX_PATH)) return Fail("GetModuleFileName");
  std::wstring command = L"\"" + std::wstring(self) + L"\" hold";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                        &process))
    return Fail("CreateProcess");
  OwnedHandle thread(process.hThread), child(process.hProcess);
  const HANDLE either[] = {ready.Get(), child.Get()};
  if (::WaitForMultipleObjects(2, either, FALSE, kStartLimitMs) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "hold-desktop: the holder did not take the desktop\n");
    return 1;
  }
  return 0;
}

int Stop() {
  OwnedHandle stop(::OpenEventW(EVENT_MODIFY_STATE, FALSE, kStopEvent));
  if (!stop.Get()) return 0;  // nobody holds it
  OwnedHandle holder(::OpenMutexW(SYNCHRONIZE, FALSE, kHolderMutex));
  ::SetEvent(stop.Get());
  if (holder.Get()) {
    const DWORD waited = ::WaitForSingleObject(holder.Get(), kStartLimitMs);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ::ReleaseMutex(holder.Get());
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring verb = argc == 2 ? argv[1] : L"";
  if (verb == L"start") return Start();
  if (verb == L"stop") return Stop();
  if (verb == L"hold") return Hold();
  std::fprintf(stderr, "usage: hold-desktop start|stop\n");
  return 2;
}
