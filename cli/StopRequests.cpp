#include "cli/StopRequests.h"

#include <atomic>

#include "platform/Interrupt.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace cli {

#ifdef _WIN32
namespace {

std::atomic<bool> gFinished{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  interrupt::Flag() = true;
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    // Windows ends the process once this returns: the work gets the time it
    // allows (about five seconds) to remove what it began.
    for (int waited = 0; !gFinished && waited < 4500; waited += 50) ::Sleep(50);
  }
  return TRUE;
}

}  // namespace

StopRequests::StopRequests() { ::SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

StopRequests::~StopRequests() {
  gFinished = true;
  ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}
#else
namespace {

void OnStopSignal(int) { interrupt::Flag() = true; }

void Handle(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = handler == SIG_DFL ? 0 : SA_RESETHAND;  // a second signal ends the process
  ::sigaction(signal, &action, nullptr);
}

}  // namespace

StopRequests::StopRequests() {
  Handle(SIGINT, OnStopSignal);
  Handle(SIGTERM, OnStopSignal);
}

StopRequests::~StopRequests() {
  Handle(SIGINT, SIG_DFL);
  Handle(SIGTERM, SIG_DFL);
}
#endif

}  // namespace cli
