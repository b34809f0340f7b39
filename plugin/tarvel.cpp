// The plugin's lifecycle: binding to the host and the version gate at initialisation, and the log
// line at destruction. All state lives in the module-wide host table.
#include "plugin/tarvel.h"

#include <cstdlib>

#include "plugin/host_functions.h"

namespace {

constexpr int kOldestMajor = 2;
constexpr int kOldestMinor = 3;
constexpr int kOldestRelease = 0;

constexpr const char kVersionRefused[] =
    "Can not execute this plugin - Halvane version 2.3 or higher required.";
constexpr const char kStartText[] = "Running tarvelwizard...";
constexpr const char kFinishText[] = "tarvelplugin finished!";

// (major, minor, release) compared lexicographically with the oldest supported host.
bool host_version_supported(int major, int minor, int release) {
  if (major != kOldestMajor) return major > kOldestMajor;
  if (minor != kOldestMinor) return minor > kOldestMinor;
  return release >= kOldestRelease;
}

}  // namespace

tarvel::tarvel() noexcept = default;

void* tarvel::operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size); }
void tarvel::operator delete(void* object) noexcept { std::free(object); }

tarvel::~tarvel() {
  if (plugin::host.hvLogText != nullptr) plugin::host.hvLogText(kFinishText);
}

bool tarvel::initPlugin() noexcept {
  using plugin::host;
  if (!plugin::bind_host_functions()) return false;

  // A host that leaves a number unwritten reads as version 0 there.
  int major = 0, minor = 0, release = 0;
  host.hvGetVersionOfHalvane(&major, &minor, &release);
  if (!host_version_supported(major, minor, release)) {
    if (host.hvMessageBox != nullptr) host.hvMessageBox(kVersionRefused);
    return false;
  }

  if (host.hvShowLogTab != nullptr) host.hvShowLogTab();
  if (host.hvLogText != nullptr) host.hvLogText(kStartText);
  return true;
}
