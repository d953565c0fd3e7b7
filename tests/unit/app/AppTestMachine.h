// A small offline machine written into a temporary folder, its platform
// installed, and the main window over the in-memory view: the ground every
// window-logic test stands on.
#pragma once
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/MainFormUnit.h"
#include "app/MemoryView.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "platform/offline/OfflinePlatform.h"

namespace apptest {

struct RecordedDialogs final : ports::IMessageDialogs {
  std::vector<std::pair<ports::MessageKind, WString>> shown;
  void ShowMessage(ports::MessageKind kind, const WString& text) override { shown.emplace_back(kind, text); }
};

class AppTest : public ::testing::Test {
 protected:
  AppTest() {
    root_ = std::filesystem::temp_directory_path() /
            ("quillon-app-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
             std::to_string(::getpid()));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "C");
  }
  ~AppTest() override {
    form.reset();
    installed_.reset();
    platform_.reset();
    std::filesystem::remove_all(root_);
  }

  // A file of the machine folder ("machine.ini", "registry.reg", "C/...").
  std::filesystem::path Write(const std::string& relative, const std::string& content = "x") {
    const auto p = root_ / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p;
  }
  std::filesystem::path Root() const { return root_; }

  // Loads the machine folder as written so far and creates the main window (no FormCreate).
  void Start() {
    platform_ = std::make_unique<offline::OfflinePlatform>(
        offline::Machine::Load(root_), [this](const WString& program, const WString& parameters) {
          started.emplace_back(program, parameters);
        });
    platform_->SetDialogs(&dialogs);
    installed_ = std::make_unique<ScopedPlatform>(platform_->Ports());
    form = std::make_unique<TfrmMainForm>(view);
  }

  RecordedDialogs dialogs;
  std::vector<std::pair<WString, WString>> started;
  memview::MemoryView view;
  std::unique_ptr<TfrmMainForm> form;

 private:
  std::filesystem::path root_;
  std::unique_ptr<offline::OfflinePlatform> platform_;
  std::unique_ptr<ScopedPlatform> installed_;
};

inline TDevice MakeDevice(const std::string& friendlyName, const std::string& classDescription) {
  TDevice d;
  d.FriendlyName = text::W(friendlyName);
  d.ClassDescription = text::W(classDescription);
  d.ClassGuid.Data1 = 0x4d36e968;
  return d;
}

}  // namespace apptest
