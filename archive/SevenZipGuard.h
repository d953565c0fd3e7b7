// The catch-all of every callback and stream operation called by the 7-Zip library.
#pragma once
#include "archive/SevenZipAbi.h"
#include "platform/Errors.h"

namespace sevenzip {

// Runs `body` and turns whatever it raises into the result the library expects:
// AbortError gives E_ABORT, anything else E_FAIL. Nothing escapes into the library.
template <class Body>
abi::HRESULT Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const AbortError&) {
    return abi::E_ABORT_;
  } catch (...) {
    return abi::E_FAIL_;
  }
}

}  // namespace sevenzip
