// The main window over the in-memory view on a private copy of a generated
// machine (fixtures/command-machine, win7-machine, empty-machine), started as the
// program starts. Progress windows, message boxes and started processes land in
// one ordered list of events, so tests can say what happened in which order.
#pragma once
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/MainFormUnit.h"
#include "app/MemoryView.h"
#include "devices/Devices.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "platform/offline/Machine.h"
#include "platform/offline/OfflinePlatform.h"
#include "signing/CryptCat.h"

namespace commandtest {

namespace fs = std::filesystem;

inline const char* KindName(ports::MessageKind kind) {
  switch (kind) {
    case ports::MessageKind::Error: return "error";
    case ports::MessageKind::Warning: return "warning";
    default: return "information";
  }
}

struct EventDialogs final : ports::IMessageDialogs {
  std::vector<std::string>* events = nullptr;
  std::vector<std::pair<ports::MessageKind, WString>> shown;
  void ShowMessage(ports::MessageKind kind, const WString& text) override {
    shown.emplace_back(kind, text);
    events->push_back(std::string("[") + KindName(kind) + "] " + text::ToUtf8(text));
  }
  bool answer = false;  // what the user answers every question
  bool AskYesNo(const WString& text) override {
    events->push_back("[question] " + text::ToUtf8(text));
    return answer;
  }
};

class CommandTest : public ::testing::Test {
 protected:
  CommandTest() {
    root_ = fs::temp_directory_path() /
            ("quillon-commands-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
             "-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
    dialogs_.events = &events;
  }
  ~CommandTest() override {
    form.reset();
    installed_.reset();
    platform_.reset();
    offline::SetClockOverride(std::nullopt);
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  // Copies the generated machine `name` and starts the program on it: start-up
  // steps, FormCreate and the first scan. Without 7-Zip, archives are .Zip.
  void Start(const std::string& name = "command-machine", bool sevenZip = true) {
    fs::copy(fs::path(QUILLON_FIXTURES_DIR) / name, MachineDir(),
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    platform_ = std::make_unique<offline::OfflinePlatform>(
        offline::Machine::Load(MachineDir()), [this](const WString& program, const WString& parameters) {
          started.emplace_back(program, parameters);
          events.push_back("[start] " + text::ToUtf8(program) + " " + text::ToUtf8(parameters));
        });
    platform_->SetDialogs(&dialogs_);
    installed_ = std::make_unique<ScopedPlatform>(platform_->Ports());
    BindDriverStoreLocation();
    view.progressEvents.titled = [this](const WString& t) { events.push_back("[progress] " + text::ToUtf8(t)); };
    view.progressEvents.closed = [this] { events.push_back("[progress] closed"); };
    TfrmMainForm::TSevenZipFinder finder;
    if (!sevenZip) finder = [] { return WString(); };
    form = std::make_unique<TfrmMainForm>(view, std::move(finder));
    form->FormCreate();
    form->btnScanClick();
    events.clear();
  }

  fs::path MachineDir() const { return root_ / "machine"; }
  // The package folder of a driver-store package of the machine.
  fs::path PackageDir(const std::string& package) const {
    return MachineDir() / "C/Windows/System32/DriverStore/FileRepository" / package;
  }
  fs::path CatRoot() const { return MachineDir() / "C/Windows/System32/CatRoot/{F750E6C3-38EE-11D1-85E5-00C04FC295EE}"; }

  // The folder the picker answers with from now on (made if missing).
  fs::path Pick(const std::string& name = "out") {
    const fs::path folder = root_ / name;
    fs::create_directories(folder);
    view.pickFolder = text::FromPath(folder);
    return folder;
  }
  void CancelPicker() { view.pickFolder.reset(); }

  // Selects the device node of `instanceId` as a click does; its record.
  TDevice& Select(const std::u16string& instanceId) {
    for (view::NodeId top : view.tree.Children(view::kNoNode))
      for (view::NodeId classNode : view.tree.Children(top))
        for (view::NodeId node : view.tree.Children(classNode))
          if (TDevice* d = view.tree.Device(node); d && d->InstanceId == instanceId) {
            view.tree.Select(node);
            form->tvDevicesChange(node);
            return *d;
          }
    throw std::runtime_error("no device node " + text::ToUtf8(instanceId));
  }
  const TDevice& Listed(const std::u16string& instanceId) const {
    for (const TDevice& d : form->DeviceList())
      if (d.InstanceId == instanceId) return d;
    throw std::runtime_error("no listed device " + text::ToUtf8(instanceId));
  }

  WString Log() const { return view.output.Text(); }
  // "*** Complete ***\r\n" added as the log's last line.
  bool LogEndsWithComplete() const {
    const WString tail = u"*** Complete ***\r\n\r\n";
    const WString log = Log();
    return log.size() >= tail.size() && log.compare(log.size() - tail.size(), tail.size(), tail) == 0;
  }
  // The events that are messages, in order.
  std::vector<std::string> Messages() const {
    std::vector<std::string> m;
    for (const std::string& e : events)
      if (e.rfind("[progress]", 0) != 0 && e.rfind("[start]", 0) != 0) m.push_back(e);
    return m;
  }
  size_t IndexOf(const std::string& event) const {
    return size_t(std::find(events.begin(), events.end(), event) - events.begin());
  }

  // Every file below `folder` (relative paths, '/' separated), folders with a trailing '/'.
  static std::set<std::string> Tree(const fs::path& folder) {
    std::set<std::string> entries;
    if (!fs::exists(folder)) return entries;
    for (const auto& e : fs::recursive_directory_iterator(folder))
      entries.insert(e.path().lexically_relative(folder).generic_string() + (e.is_directory() ? "/" : ""));
    return entries;
  }
  static void WriteFile(const fs::path& p, const std::string& content) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
  }
  // How often `what` occurs in `text` (banners in the log).
  static size_t Occurrences(WStringView text, WStringView what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != WStringView::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
  // The file list of an archive as `7z l -ba` prints it.
  static std::string ArchiveListing(const fs::path& archive) {
    std::string listing;
    FILE* p = ::popen(("7z l -ba \"" + archive.string() + "\"").c_str(), "r");
    if (!p) throw std::runtime_error("cannot run 7z");
    for (char buffer[512]; std::fgets(buffer, sizeof buffer, p);) listing += buffer;
    EXPECT_EQ(::pclose(p), 0) << archive;
    return listing;
  }
  static std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // The user's answer to the window's questions from now on.
  void Answer(bool yes) { dialogs_.answer = yes; }

  memview::MemoryView view;
  std::unique_ptr<TfrmMainForm> form;
  std::vector<std::string> events;
  std::vector<std::pair<WString, WString>> started;

 private:
  fs::path root_;
  EventDialogs dialogs_;
  std::unique_ptr<offline::OfflinePlatform> platform_;
  std::unique_ptr<ScopedPlatform> installed_;
};

// 2026-01-02 at `hour`:`minute`:`second`, local time.
inline winapi::SystemTime LocalTime(uint16_t hour, uint16_t minute, uint16_t second) {
  winapi::SystemTime t;
  t.wYear = 2026;
  t.wMonth = 1;
  t.wDay = 2;
  t.wHour = hour;
  t.wMinute = minute;
  t.wSecond = second;
  return t;
}
// The backup index an export writes at LocalTime(3, 4, 5), and the next free name after it.
inline const std::string kIndexAt030405 = "Quillon-index-2026_01_02_03_04_05.json";
inline const std::string kSecondIndexAt030405 = "Quillon-index-2026_01_02_03_04_05 (2).json";

// Instance ids of the generated machines.
inline const std::u16string kAudioCodec = u"ROOT\\AUDIOCODEC\\0000";
inline const std::u16string kTwoCatalogs = u"ROOT\\TWOCATS\\0000";
inline const std::u16string kOwnSignature = u"ROOT\\OWNSIG\\0000";
inline const std::u16string kMicrosoftAudio = u"ROOT\\MSAUDIO\\0000";
inline const std::u16string kTailspin = u"ROOT\\TAILSPINSENSOR\\0000";
inline const std::u16string kLitaudio = u"ROOT\\LITAUDIO\\0000";
inline const std::u16string kNoDriver = u"PCI\\VEN_1B21&DEV_1242&SUBSYS_86751043&REV_00\\4&3ad2b7b&0&00E5";
inline const std::string kAudioCodecPackage = "audiocodec.inf_amd64_6060606060606060";

}  // namespace commandtest
