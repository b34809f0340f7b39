// A plugin module whose execute writes through a null pointer, for showing that the validator reports
// a crash inside a check as that check's failure, naming the fault, and goes on with the other checks.
#include "tests/release/test_module.h"

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

TEST_MODULE_EXPORTS(CrashingPlugin, halvane_host::contract::kPluginName)
