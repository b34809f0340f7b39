// A plugin module with deliberate faults, for showing that the validator fails what breaks the host
// contract: a wrong plugin name, an initialisation that neither shows the log nor announces itself,
// a file dialog never shown and no ErrorNr answered, and a destructor that does not log.
#include <cstring>

#include "tests/release/test_module.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

// The host's functions, found by name in the host program as the real plugin finds them.
template <typename Function>
Function host_function(const char* name) {
#if defined(_WIN32)
  FARPROC address = GetProcAddress(GetModuleHandleA(nullptr), name);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
#else
  return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
#endif
}

class FaultyPlugin : public HalvanePluginInterface {
 public:
  bool initPlugin() noexcept override { return true; }
  bool execute() noexcept override {
    char command[4096] = {};
    host_function<void (*)(const char*, char*)>("hvGetStringParameter")("Command", command);
    if (std::strcmp(command, "GetFileName") == 0) {
      host_function<void (*)(const char*, const char*)>("hvSetStringParameter")("Filename", "C:\\faulty.fmr");
    }
    return true;
  }
};

}  // namespace

TEST_MODULE_EXPORTS(FaultyPlugin, "tarvelwizard (v1.3)")
