// A plugin module with deliberate faults, for showing that the validator fails what breaks the host
// contract: a wrong plugin name, an initialisation that neither shows the log nor announces itself,
// a file dialog never shown and no ErrorNr answered, and a destructor that does not log.
#include <cstring>

#include "plugin/halvane_plugin_interface.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#define FAULTY_EXPORT extern "C" __declspec(dllexport)
#else
#include <dlfcn.h>
#define FAULTY_EXPORT extern "C" __attribute__((visibility("default")))
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

FAULTY_EXPORT HalvanePluginInterface* createPlugin() { return new FaultyPlugin(); }
FAULTY_EXPORT const char* getPluginName() { return "tarvelwizard (v1.3)"; }
FAULTY_EXPORT const char* getPluginDescription() { return "Plugin to process multiple Halvane files<br>"; }
FAULTY_EXPORT const char* getAuthor() { return "<i>Someone</i>, Somewhere"; }
FAULTY_EXPORT const char* getHelpFile() { return ""; }
FAULTY_EXPORT const char* getPluginVersion() { return "1.2"; }
FAULTY_EXPORT const char* getGUIScript() { return "tarvelwizard_v12.js"; }
