// CryptCat: catalog and trust checks of driver files, reported line by line.
//
// Is a security catalog trusted by the driver-signing policy (and what attributes
// does it carry)? Is a file listed in a catalog? Which system catalog lists a file?
// No operation raises: failures are a false (or empty) result and a Message.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Text.h"

// Receives one report line ("%-10.10s : %s" + CR LF). An empty function drops the lines.
using TShellCallback = std::function<void(const WString& ShellOutput)>;

// Full path of the first system catalog listing the file's SHA-1 catalog hash, or empty.
WString GetCatalogForFile(const WString& FileName);

// ---- Building blocks of VerifyFile, public for the tests ----

// Signer := the subject of the certificate that signed the file (see RunTrustCheck).
bool VerifyEmbeddedSignature(const WString& FileName, const TShellCallback& Callback, WString& Message,
                             WString& Signer);
// Reports the "Catalog" line of the first system catalog listing the file;
// Signer := the subject of the certificate that signed that catalog.
bool FindCatalogForHash(const WString& FileName, const TShellCallback& Callback, WString& Message, WString& Signer);

// The file's SHA-1 catalog hash as hash text; empty when missing or unreadable.
WString CalcFileHash(const WString& FileName);
// The file's SHA-256 catalog hash; empty on failure (Message set when the SHA-256
// context cannot be acquired).
WString CalcFileHashSha256(const WString& FileName, WString& Message);
// Upper-case hexadecimal, two digits per byte, no separators.
WString HashToHex(const std::vector<uint8_t>& bytes);
WString HashToHex(const uint8_t* bytes, size_t count);
// Sends "%-10.10s : %s" + CR LF to the callback, when one is assigned.
void LogField(const WString& Name, const WString& Value, const TShellCallback& Callback);
// A line LogField made, read back: the name without its padding and the value.
// False when `line` is not such a line.
bool ReadField(const WString& line, WString& Name, WString& Value);

// Whether CryptCATGetMemberInfo finds the members of the open catalog: it does on
// Windows; Wine's is a stub that finds none, and the members are walked instead.
enum class MemberLookup { Unknown, Works, Broken };

// The cache of the catalog checks: one crypto provider and one open catalog, so
// that a run of member checks against one catalog opens it once.
struct CatalogCache {
  winapi::Handle provider = 0;  // 0: not acquired yet
  winapi::Handle catalog = 0;   // 0: none; winapi::kInvalidHandle: the last open failed
  WString path;                 // path of the open catalog
  MemberLookup memberLookup = MemberLookup::Unknown;  // of the open catalog
};

// The checks that name a catalog, with the cache they share. Whoever runs checks
// owns one checker: the window for its life, each command-line worker its own, so
// that workers check side by side without sharing a catalog handle. The open
// catalog is closed with the checker; the provider, as the system allows, stays
// acquired until the process ends.
class TCatalogChecker {
 public:
  TCatalogChecker() = default;
  ~TCatalogChecker();
  TCatalogChecker(const TCatalogChecker&) = delete;
  TCatalogChecker& operator=(const TCatalogChecker&) = delete;

  // Dispatches on which paths are given:
  //   Catalog + FileName: is the file listed in the catalog (VerifyCatalogMember);
  //   Catalog only:       is the catalog trusted, with its attributes (VerifyCatalog);
  //   FileName only:      the file's own signature, else a system catalog listing it;
  //   neither:            false, empty Message.
  bool VerifyFile(const WString& Catalog, const WString& FileName, const TShellCallback& Callback, WString& Message);
  bool VerifyCatalogMember(const WString& Catalog, const WString& FileName, const TShellCallback& Callback,
                           WString& Message);
  bool VerifyCatalog(const WString& Catalog, const TShellCallback& Callback, WString& Message);

  const CatalogCache& Cache() const { return cache_; }
  // The subject of the certificate that signed what the last VerifyFile checked
  // with a signature of its own: the catalog (catalog alone), the file (its own
  // signature) or the system catalog listing it. Empty after a member check (the
  // catalog's check names its signer), and when unsigned.
  const WString& Signer() const { return signer_; }

 private:
  // Makes the cache hold `Catalog` open (acquiring the provider first when needed).
  // False with Message set to the system text when the provider or the open fails.
  bool AcquireCachedCatalog(const WString& Catalog, WString& Message);

  CatalogCache cache_;
  WString signer_;
};
