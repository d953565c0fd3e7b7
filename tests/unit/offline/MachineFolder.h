// A scratch machine folder for the offline adapter tests, removed afterwards.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Text.h"

namespace simtest {

// `text` as a file `reg export` would write: UTF-16LE, BOM, CR LF line ends.
inline std::string Utf16RegFile(const std::string& utf8Lines) {
  std::string crlf;
  for (char c : utf8Lines) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  WString wide = text::FromUtf8(crlf);
  std::string bytes = "\xFF\xFE";
  for (char16_t c : wide) {
    bytes += char(c & 0xFF);
    bytes += char(c >> 8);
  }
  return bytes;
}

class MachineFolder {
 public:
  MachineFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::filesystem::temp_directory_path() /
            ("quillon-offline-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
             std::to_string(::getpid()));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  ~MachineFolder() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  MachineFolder(const MachineFolder&) = delete;
  MachineFolder& operator=(const MachineFolder&) = delete;

  const std::filesystem::path& Root() const { return root_; }

  void Write(const std::filesystem::path& relative, const std::string& bytes) const {
    std::filesystem::path p = root_ / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
  }

 private:
  std::filesystem::path root_;
};

}  // namespace simtest
