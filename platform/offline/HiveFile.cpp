// Reading a hive with hivex: the header is checked first so that a file that is
// not a hive, or one cut short, gets its own message; hivex checks the rest.
#include "platform/offline/HiveFile.h"

#include <hivex.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace offline {

namespace fs = std::filesystem;

namespace {

constexpr size_t kHeaderBytes = 4096;
// Windows keeps values under 1 MiB in the registry's standard format; the program
// reads nothing near it. A larger value is read as absent rather than copied out.
constexpr size_t kMaxValueBytes = 1u << 20;
constexpr size_t kBinsSizeOffset = 0x28;  // the header's count of hive-bin bytes after it

// A buffer hivex allocated.
struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Malloced = std::unique_ptr<T, FreeDeleter>;

std::string Reason(int error) { return error ? std::strerror(error) : "no reason given"; }

// The header says how long the file must be; a copy cut short is named as such.
void CheckHeader(const fs::path& file) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) throw MachineError(file.string() + ": missing (no such file)");
  const uintmax_t size = fs::file_size(file, ec);
  if (ec) throw MachineError(file.string() + ": cannot be read (" + ec.message() + ")");
  std::ifstream in(file, std::ios::binary);
  char header[kHeaderBytes] = {};
  if (!in.read(header, sizeof header) || std::memcmp(header, "regf", 4) != 0)
    throw MachineError(file.string() + ": not a registry hive (no \"regf\" header)");
  uint32_t bins = 0;
  std::memcpy(&bins, header + kBinsSizeOffset, sizeof bins);
  if (size < kHeaderBytes + uintmax_t(bins))
    throw MachineError(file.string() + ": truncated hive (" + std::to_string(size) + " bytes, its header needs " +
                       std::to_string(kHeaderBytes + uintmax_t(bins)) + ")");
}

WString Utf8Name(const char* name) { return text::FromUtf8(name ? name : ""); }

}  // namespace

void HiveFile::Closer::operator()(hive_h* h) const { hivex_close(h); }

HiveFile::HiveFile(fs::path file, std::unique_ptr<hive_h, Closer> hive, uint64_t root)
    : file_(std::move(file)), hive_(std::move(hive)), root_(root) {}

HiveFile::~HiveFile() = default;

std::shared_ptr<HiveFile> HiveFile::Open(const fs::path& file) {
  CheckHeader(file);
  errno = 0;
  std::unique_ptr<hive_h, Closer> hive(hivex_open(file.c_str(), 0));  // no HIVEX_OPEN_WRITE: read-only
  if (!hive) throw MachineError(file.string() + ": damaged registry hive (" + Reason(errno) + ")");
  const hive_node_h root = hivex_root(hive.get());
  if (!root) throw MachineError(file.string() + ": damaged registry hive (no root key)");
  return std::shared_ptr<HiveFile>(new HiveFile(file, std::move(hive), root));
}

void HiveFile::Damaged(const char* what) const {
  throw MachineError(file_.string() + ": damaged registry hive (" + what + ": " + Reason(errno) + ")");
}

std::optional<uint64_t> HiveFile::Find(uint64_t node, WStringView path) const {
  std::lock_guard lock(mutex_);
  for (size_t start = 0; start < path.size();) {
    size_t end = path.find(u'\\', start);
    if (end == WStringView::npos) end = path.size();
    const std::string name = text::ToUtf8(path.substr(start, end - start));
    start = end + 1;
    errno = 0;
    node = hivex_node_get_child(hive_.get(), node, name.c_str());
    if (!node && errno) Damaged("a key cannot be read");
    if (!node) return std::nullopt;
  }
  return node;
}

RegKeySource::Contents HiveFile::Read(uint64_t node) const {
  std::lock_guard lock(mutex_);
  hive_h* h = hive_.get();
  Contents contents;
  errno = 0;
  Malloced<hive_node_h> children(hivex_node_children(h, node));
  if (!children) Damaged("the subkeys of a key cannot be read");
  for (const hive_node_h* c = children.get(); *c; ++c) {
    Malloced<char> name(hivex_node_name(h, *c));
    if (!name) Damaged("a key name cannot be read");
    contents.children.emplace_back(Utf8Name(name.get()), *c);
  }
  Malloced<hive_value_h> values(hivex_node_values(h, node));
  if (!values) Damaged("the values of a key cannot be read");
  for (const hive_value_h* v = values.get(); *v; ++v) {
    Malloced<char> name(hivex_value_key(h, *v));
    if (!name) Damaged("a value name cannot be read");
    hive_type type = hive_t_REG_NONE;
    size_t length = 0;
    errno = 0;
    if (hivex_value_type(h, *v, &type, &length) != 0) Damaged("a value cannot be read");
    if (length > kMaxValueBytes) continue;
    errno = 0;
    Malloced<char> data(hivex_value_value(h, *v, &type, &length));
    if (!data && errno) Damaged("a value cannot be read");
    RegValue value{uint32_t(type), data ? std::vector<uint8_t>(data.get(), data.get() + length) : std::vector<uint8_t>()};
    contents.values.emplace_back(Utf8Name(name.get()), std::move(value));
  }
  return contents;
}

}  // namespace offline
