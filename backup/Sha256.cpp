#include "backup/Sha256.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <vector>

#include "platform/Errors.h"
#include "platform/HostPath.h"
#include "platform/StillWorking.h"
#include "platform/UniqueHandle.h"

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>
#else
#include <openssl/evp.h>
#endif

namespace backup {

namespace {

constexpr size_t kChunk = 1 << 20;

[[noreturn]] void Fail(const std::filesystem::path& file, const std::string& cause) {
  throw QuillonError(text::FromPath(file) + u": " + text::FromUtf8(cause));
}

std::string Hex(const unsigned char* digest, size_t size) {
  std::string hex;
  char two[3];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(two, sizeof two, "%02x", digest[i]);
    hex += two;
  }
  return hex;
}

#ifdef _WIN32
struct AlgorithmTraits {
  static BCRYPT_ALG_HANDLE Invalid() { return nullptr; }
  static bool IsValid(BCRYPT_ALG_HANDLE h) { return h != nullptr; }
  static void Close(BCRYPT_ALG_HANDLE h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashTraits {
  static BCRYPT_HASH_HANDLE Invalid() { return nullptr; }
  static bool IsValid(BCRYPT_HASH_HANDLE h) { return h != nullptr; }
  static void Close(BCRYPT_HASH_HANDLE h) { ::BCryptDestroyHash(h); }
};

}  // namespace

// One CNG hash object and its algorithm provider (the hash goes first).
class Sha256Hasher::Engine {
 public:
  explicit Engine(const std::filesystem::path& file) : file_(file) {
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(algorithm_.Put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
      Fail(file_, "the system's SHA-256 is not available");
    if (!BCRYPT_SUCCESS(::BCryptCreateHash(algorithm_.Get(), hash_.Put(), nullptr, 0, nullptr, 0, 0)))
      Fail(file_, "the system's SHA-256 is not available");
  }
  void Add(const char* data, size_t size) {
    if (!BCRYPT_SUCCESS(
            ::BCryptHashData(hash_.Get(), reinterpret_cast<PUCHAR>(const_cast<char*>(data)), ULONG(size), 0)))
      Fail(file_, "hashing failed");
  }
  std::string Finish() {
    std::array<unsigned char, 32> digest{};
    if (!BCRYPT_SUCCESS(::BCryptFinishHash(hash_.Get(), digest.data(), ULONG(digest.size()), 0)))
      Fail(file_, "hashing failed");
    return Hex(digest.data(), digest.size());
  }

 private:
  std::filesystem::path file_;
  UniqueHandle<AlgorithmTraits> algorithm_;
  UniqueHandle<HashTraits> hash_;  // declared last: destroyed before its provider
};
#else
struct DigestContextTraits {
  static EVP_MD_CTX* Invalid() { return nullptr; }
  static bool IsValid(EVP_MD_CTX* c) { return c != nullptr; }
  static void Close(EVP_MD_CTX* c) { EVP_MD_CTX_free(c); }
};

}  // namespace

class Sha256Hasher::Engine {
 public:
  explicit Engine(const std::filesystem::path& file) : file_(file), context_(EVP_MD_CTX_new()) {
    if (!context_ || EVP_DigestInit_ex(context_.Get(), EVP_sha256(), nullptr) != 1)
      Fail(file_, "OpenSSL's SHA-256 is not available");
  }
  void Add(const char* data, size_t size) {
    if (EVP_DigestUpdate(context_.Get(), data, size) != 1) Fail(file_, "hashing failed");
  }
  std::string Finish() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(context_.Get(), digest, &size) != 1) Fail(file_, "hashing failed");
    return Hex(digest, size);
  }

 private:
  std::filesystem::path file_;
  UniqueHandle<DigestContextTraits> context_;
};
#endif

Sha256Hasher::Sha256Hasher(const std::filesystem::path& subject) : engine_(std::make_unique<Engine>(subject)) {}
Sha256Hasher::~Sha256Hasher() = default;
void Sha256Hasher::Add(const void* data, size_t size) {
  engine_->Add(static_cast<const char*>(data), size);
  working::Tick();
}
std::string Sha256Hasher::Finish() { return engine_->Finish(); }

std::string Sha256OfFile(const std::filesystem::path& file, uint64_t* size) {
  std::ifstream in(paths::HostPath(text::FromPath(file)), std::ios::binary);  // long paths too
  if (!in) Fail(file, "cannot be opened for reading");
  Sha256Hasher hasher(file);
  if (size) *size = 0;
  std::vector<char> buffer(kChunk);
  while (in) {
    in.read(buffer.data(), std::streamsize(buffer.size()));
    if (in.gcount() <= 0) continue;
    hasher.Add(buffer.data(), size_t(in.gcount()));
    if (size) *size += uint64_t(in.gcount());
  }
  if (in.bad()) Fail(file, "read error");
  return hasher.Finish();
}

}  // namespace backup
