// The ports the portable logic reaches the operating system through. One
// Platform is installed per process: the win32 adapters in Quillon.exe, the offline
// adapters (an offline machine folder) on Linux, or test doubles in tests.
#pragma once

namespace ports {
class ISetupApi;
class IRegistry;
class ICatalogTrust;
class IProgramStarter;
class IMessageDialogs;
class ISystem;
class ILibraryLoader;
class IDriverInstaller;
class IElevation;
}  // namespace ports

struct Platform {
  ports::ISetupApi* setup = nullptr;
  ports::IRegistry* registry = nullptr;
  ports::ICatalogTrust* trust = nullptr;
  ports::IProgramStarter* programs = nullptr;
  ports::IMessageDialogs* dialogs = nullptr;
  ports::ISystem* system = nullptr;
  ports::ILibraryLoader* libraries = nullptr;
  ports::IDriverInstaller* drivers = nullptr;
  ports::IElevation* elevation = nullptr;
};

// The installed platform. Throws QuillonError when none is installed.
Platform& Os();
// The installed platform or nullptr: for code that also runs without one (error texts).
Platform* InstalledPlatform();
// Installs `p` (not owned) and returns the previous one; nullptr uninstalls.
Platform* InstallPlatform(Platform* p);

// Installs a platform for the lifetime of a scope (tests).
class ScopedPlatform {
 public:
  explicit ScopedPlatform(Platform& p) : previous_(InstallPlatform(&p)) {}
  ~ScopedPlatform() { InstallPlatform(previous_); }
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  Platform* previous_;
};
