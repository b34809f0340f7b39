// POSIX platform layer: the host module is the loaded object (the main program included) whose file's
// base name matches, found with dl_iterate_phdr; names resolve with dlsym. The main program has no
// name of its own in the list of loaded objects, so its file name is read from /proc/self/exe.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "plugin/platform.h"

namespace plugin::platform {
namespace {

const char* base_name(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

struct Search {
  const char* wanted;
  bool is_main_program = false;
  const char* object_path = nullptr;
  char main_program_path[PATH_MAX] = {};
};

int visit_object(struct dl_phdr_info* info, size_t, void* data) {
  auto* search = static_cast<Search*>(data);
  const char* path = info->dlpi_name;
  const bool main_program = path == nullptr || path[0] == '\0';
  if (main_program) {
    const ssize_t length = readlink("/proc/self/exe", search->main_program_path, PATH_MAX - 1);
    if (length <= 0) return 0;
    search->main_program_path[length] = '\0';
    path = search->main_program_path;
  }
  if (std::strcmp(base_name(path), search->wanted) != 0) return 0;
  search->is_main_program = main_program;
  search->object_path = path;
  return 1;
}

}  // namespace

ModuleHandle find_loaded_module(const char* file_name) noexcept {
  Search search;
  search.wanted = file_name;
  if (dl_iterate_phdr(visit_object, &search) == 0) return nullptr;
  // RTLD_NOLOAD hands out the handle of an object that is already loaded without loading anything.
  // The extra reference is dropped at once: the handle stays valid while the object stays loaded.
  void* handle = search.is_main_program ? dlopen(nullptr, RTLD_LAZY)
                                        : dlopen(search.object_path, RTLD_LAZY | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle;
}

host_signature::UntypedFn resolve_function(ModuleHandle module, const char* name) noexcept {
  return reinterpret_cast<host_signature::UntypedFn>(dlsym(module, name));
}

}  // namespace plugin::platform
