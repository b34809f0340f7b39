// POSIX side of the host's platform layer: dlopen and dlsym, and /proc/self/exe for the program's place.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

#include "host/module_loader.h"

namespace halvane_host::loader {

const char* const kModuleFileName = TARVEL_MODULE_NAME ".so";

Module load_module(const std::string& path, std::string& error) {
  Module module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) error = dlerror();
  return module;
}

Function find_export(Module module, const char* name) {
  return reinterpret_cast<Function>(dlsym(module, name));
}

void unload_module(Module module) { dlclose(module); }

std::string executable_directory() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "./";
  const std::string full(path, static_cast<std::size_t>(length));
  return full.substr(0, full.rfind('/') + 1);
}

bool standard_input_is_terminal() { return isatty(STDIN_FILENO) != 0; }

long resident_memory_kib() {
  // Plain system calls: a buffered stream would allocate.
  char text[128] = {};
  const int fd = open("/proc/self/statm", O_RDONLY);
  if (fd < 0) return 0;
  const ssize_t length = read(fd, text, sizeof text - 1);
  close(fd);
  long pages = 0;
  long resident = 0;
  if (length <= 0 || std::sscanf(text, "%ld %ld", &pages, &resident) != 2) return 0;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace halvane_host::loader
