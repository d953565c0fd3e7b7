// Catalog and trust services port: wintrust/crypt32 and CryptAcquireContextW.
// (The signature-checking work fills in the calls; see signing/.)
#pragma once
#include "platform/Text.h"

namespace ports {

class ICatalogTrust {
 public:
  virtual ~ICatalogTrust() = default;
};

}  // namespace ports
