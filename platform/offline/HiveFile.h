// A registry hive file of a Windows installation, opened read-only through hivex
// (the file is mapped, never written). Keys mounted on it read their children and
// values on first use.
#pragma once
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/offline/Machine.h"

struct hive_h;

namespace offline {

class HiveFile final : public RegKeySource {
 public:
  // Throws MachineError naming the file: missing, not a hive, truncated or damaged.
  static std::shared_ptr<HiveFile> Open(const std::filesystem::path& file);
  ~HiveFile() override;
  HiveFile(const HiveFile&) = delete;
  HiveFile& operator=(const HiveFile&) = delete;

  const std::filesystem::path& File() const { return file_; }
  uint64_t Root() const { return root_; }
  // The node at `path` ("A\\B") below `node`, names compared ignoring case.
  std::optional<uint64_t> Find(uint64_t node, WStringView path) const;
  Contents Read(uint64_t node) const override;

 private:
  struct Closer {
    void operator()(hive_h* h) const;
  };
  HiveFile(std::filesystem::path file, std::unique_ptr<hive_h, Closer> hive, uint64_t root);
  [[noreturn]] void Damaged(const char* what) const;

  std::filesystem::path file_;
  std::unique_ptr<hive_h, Closer> hive_;
  uint64_t root_;
  mutable std::mutex mutex_;  // one reader of the handle at a time
};

}  // namespace offline
