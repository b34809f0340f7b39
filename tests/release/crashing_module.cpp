// A plugin module whose execute writes through a null pointer, for showing that the validator reports
// a crash inside a check as that check's failure, naming the fault, and goes on with the other checks.
#include "plugin/halvane_plugin_interface.h"

#if defined(_WIN32)
#define CRASHING_EXPORT extern "C" __declspec(dllexport)
#else
#define CRASHING_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

class CrashingPlugin : public HalvanePluginInterface {
 public:
  bool initPlugin() noexcept override { return true; }
  bool execute() noexcept override {
    // A volatile store through a pointer the compiler cannot see is null: it is emitted as written,
    // neither dropped nor replaced by a trap of the compiler's own.
    volatile int* volatile target = nullptr;
    *target = 1;
    return true;
  }
};

}  // namespace

CRASHING_EXPORT HalvanePluginInterface* createPlugin() { return new CrashingPlugin(); }
CRASHING_EXPORT const char* getPluginName() { return "tarvelwizard (v1.2)"; }
CRASHING_EXPORT const char* getPluginDescription() { return "Plugin to process multiple Halvane files<br>"; }
CRASHING_EXPORT const char* getAuthor() { return "<i>Someone</i>, Somewhere"; }
CRASHING_EXPORT const char* getHelpFile() { return ""; }
CRASHING_EXPORT const char* getPluginVersion() { return "1.2"; }
CRASHING_EXPORT const char* getGUIScript() { return "tarvelwizard_v12.js"; }
