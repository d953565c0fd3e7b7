// SHA-256 of a file, read in pieces: OpenSSL on Linux, the system's CNG (bcrypt)
// on Windows, so that the exe needs no DLL beside the system's.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace backup {

// SHA-256 of data given in pieces (an archive entry as it streams past).
class Sha256Hasher {
 public:
  // `subject` names what is hashed in the errors raised.
  explicit Sha256Hasher(const std::filesystem::path& subject);
  ~Sha256Hasher();
  Sha256Hasher(const Sha256Hasher&) = delete;
  Sha256Hasher& operator=(const Sha256Hasher&) = delete;

  void Add(const void* data, size_t size);
  // Lower-case hexadecimal; the hasher is spent.
  std::string Finish();

 private:
  class Engine;
  std::unique_ptr<Engine> engine_;
};

// Lower-case hexadecimal; `size`, when given, receives the number of bytes
// hashed. Raises QuillonError naming the file and the cause.
std::string Sha256OfFile(const std::filesystem::path& file, uint64_t* size = nullptr);

}  // namespace backup
