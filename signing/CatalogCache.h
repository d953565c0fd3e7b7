// The cached crypto provider and open catalog shared by the catalog checks.
#pragma once
#include "signing/CryptCat.h"

namespace cryptcat {

// Makes the cache hold `Catalog` open (acquiring the provider first when needed).
// False with Message set to the system text when the provider or the open fails.
bool AcquireCachedCatalog(const WString& Catalog, WString& Message);

}  // namespace cryptcat
