// A temporary folder for the INF tests: INF files written from bytes, removed
// with the fixture.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Text.h"

namespace inf_test {

namespace fs = std::filesystem;

class InfTestFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() / (std::string("quillon-inf-") + info->test_suite_name() + "-" + info->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path Write(const std::string& name, const std::string& bytes) {
    const fs::path p = root_ / name;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
  // The text as UTF-16LE after its byte-order mark.
  static std::string Utf16(const std::string& utf8) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text::FromUtf8(utf8)) {
      bytes += char(c & 0xFF);
      bytes += char(c >> 8);
    }
    return bytes;
  }
  const fs::path& Root() const { return root_; }

 private:
  fs::path root_;
};

inline std::string U8(const WString& s) { return text::ToUtf8(s); }

}  // namespace inf_test
