// The test programs' C runtime answers stat as msvcrt.dll does on Windows
// (tests/wine/WindowsStat.cpp), so that code which only works through Wine's
// kinder stat fails here as it would on a PC.
#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

TEST(WindowsStat, RefusesVerbatimPathsAsWindowsMsvcrtDoes) {
  std::error_code ec;
  EXPECT_TRUE(fs::is_directory(fs::path(L"C:\\windows"), ec));
  EXPECT_FALSE(fs::is_directory(fs::path(L"\\\\?\\C:\\windows"), ec));
  EXPECT_FALSE(fs::exists(fs::path(L"C:\\windows\\*"), ec));
}

}  // namespace
