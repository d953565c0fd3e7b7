// Elevation port: whether the process runs with the administrator's full rights
// (its access token's TokenElevation), which installing drivers needs.
#pragma once

namespace ports {

class IElevation {
 public:
  virtual ~IElevation() = default;
  // OpenProcessToken(TOKEN_QUERY) + GetTokenInformation(TokenElevation): false with
  // the reason in the thread's last error when the token cannot be read.
  virtual bool GetTokenElevation(bool* elevated) = 0;
};

}  // namespace ports
