// Lifecycle stress of the plugin module inside the stand-in host's code: many cycles of
// create → initPlugin → the three wizard commands → destroy in one process, then many loads and
// unloads of the module, with the resident memory measured before and after each phase. It exits
// with status 1 when either phase grows the resident memory by more than a small allowance.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/host_api.h"
#include "host/module_loader.h"
#include "host/plugin_module.h"
#include "host/validator.h"

namespace {

using namespace halvane_host;

constexpr long kDefaultCycles = 100000;
constexpr long kDefaultLoads = 1000;
// Allocator caches and the first touch of pages may move the figure a little; a leak of even a few
// bytes per cycle moves it far more over this many cycles.
constexpr long kAllowedGrowthKiB = 64;

void one_cycle(const PluginModule& module) {
  if (!play_wizard_cycle(module)) {
    std::fprintf(stderr, "the plugin did not initialise or a command failed\n");
    std::exit(1);
  }
}

bool report(const char* phase, long count, long before, long after) {
  const bool grew = after - before > kAllowedGrowthKiB;
  std::printf("%-28s %8ld  resident %7ld KiB -> %7ld KiB  (%+ld KiB)%s\n", phase, count, before, after,
              after - before, grew ? "  GREW" : "");
  return !grew;
}

}  // namespace

int main(int argc, char** argv) {
  const long cycles = argc > 1 ? std::atol(argv[1]) : kDefaultCycles;
  const long loads = argc > 2 ? std::atol(argv[2]) : kDefaultLoads;
  const std::string path = loader::executable_directory() + "../" + loader::kModuleFileName;

  PluginModule module;
  std::string error;
  if (!open_plugin_module(path, module, error)) {
    std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  // A short warm-up (the measurement included) lets the allocator and the loader reach their steady
  // state before measuring.
  loader::resident_memory_kib();
  for (int i = 0; i < 1000; ++i) one_cycle(module);
  const long cycles_before = loader::resident_memory_kib();
  for (long i = 0; i < cycles; ++i) one_cycle(module);
  const long cycles_after = loader::resident_memory_kib();
  close_plugin_module(module);
  reset();

  for (int i = 0; i < 10; ++i) {
    if (open_plugin_module(path, module, error)) close_plugin_module(module);
  }
  const long loads_before = loader::resident_memory_kib();
  for (long i = 0; i < loads; ++i) {
    if (!open_plugin_module(path, module, error)) {
      std::fprintf(stderr, "load %ld failed: %s\n", i, error.c_str());
      return 1;
    }
    close_plugin_module(module);
  }
  const long loads_after = loader::resident_memory_kib();

  const bool cycles_ok = report("create/init/3 commands/delete", cycles, cycles_before, cycles_after);
  const bool loads_ok = report("module load/unload", loads, loads_before, loads_after);
  return cycles_ok && loads_ok ? 0 : 1;
}
