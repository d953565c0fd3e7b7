// Ctrl+C, the console window closing and SIGTERM ask the running command to
// stop: the request sets interrupt::Flag(), the work stops after the file it is
// on, and the command ends with kInterruptedExitCode.
#pragma once

namespace cli {

// What a program stopped by Ctrl+C ends with: 130 (128 + SIGINT) on Linux, the
// console's STATUS_CONTROL_C_EXIT on Windows.
#ifdef _WIN32
constexpr int kInterruptedExitCode = int(0xC000013AU);
#else
constexpr int kInterruptedExitCode = 130;
#endif

// While alive, a stop request sets the flag instead of ending the process; a
// second SIGINT or SIGTERM ends it as usual. On Windows, closing the console
// waits (up to the few seconds Windows allows) until this object is gone.
class StopRequests {
 public:
  StopRequests();
  ~StopRequests();
  StopRequests(const StopRequests&) = delete;
  StopRequests& operator=(const StopRequests&) = delete;
};

}  // namespace cli
