// A plugin module built for the other C++ ABI than this build's host: the seven plain exports and,
// under the other ABI's names, the plugin interface's virtual table and two class members. The
// validator must refuse it from the names alone; nothing here is meant to be called. An ELF linker
// reads "@@" in a name as a symbol version, so the native build exports no class member at all: the
// validator must refuse that too.
#include <cstdlib>

#include "tests/release/test_module.h"

// FOREIGN_FUNCTION(function, itanium name, microsoft name) and FOREIGN_TABLE(table, ...) define
// `function` or the function pointer array `table` and export it under the name of the ABI that this
// build does not use.
#if defined(_MSC_VER)
#define FOREIGN_FUNCTION(function, itanium, microsoft) \
  TEST_MODULE_EXPORT void function() __asm__(itanium); \
  TEST_MODULE_EXPORT void function() { std::abort(); }
#define FOREIGN_TABLE(table, itanium, microsoft) TEST_MODULE_EXPORT const Slot table[] __asm__(itanium)
#elif defined(_WIN32)
// GCC writes a quoted name into its own export directive in a form that its assembler rejects, so the
// export directives are written here.
#define FOREIGN_DIRECTIVE(name, kind) \
  __asm__(".section .drectve\n\t.ascii \" -export:\\\"" name "\\\"" kind "\"\n\t.text");
#define FOREIGN_FUNCTION(function, itanium, microsoft)     \
  FOREIGN_DIRECTIVE(microsoft, "")                         \
  extern "C" void function() __asm__("\"" microsoft "\""); \
  extern "C" void function() { std::abort(); }
#define FOREIGN_TABLE(table, itanium, microsoft) \
  FOREIGN_DIRECTIVE(microsoft, ",data")          \
  extern "C" const Slot table[] __asm__("\"" microsoft "\"")
#endif

#if defined(_WIN32)
using Slot = void (*)();
FOREIGN_FUNCTION(foreign_execute, "_ZN6tarvel7executeEv", "?execute@tarvel@@UEAA_NXZ")
FOREIGN_FUNCTION(foreign_destructor, "_ZN22HalvanePluginInterfaceD1Ev", "??1HalvanePluginInterface@@UEAA@XZ")
FOREIGN_TABLE(foreign_table, "_ZTV22HalvanePluginInterface", "??_7HalvanePluginInterface@@6B@");
const Slot foreign_table[] = {foreign_destructor, foreign_execute};
#endif

TEST_MODULE_EXPORT void* createPlugin() { std::abort(); }
TEST_MODULE_EXPORT const char* getPluginName() { std::abort(); }
TEST_MODULE_EXPORT const char* getPluginDescription() { std::abort(); }
TEST_MODULE_EXPORT const char* getAuthor() { std::abort(); }
TEST_MODULE_EXPORT const char* getHelpFile() { std::abort(); }
TEST_MODULE_EXPORT const char* getPluginVersion() { std::abort(); }
TEST_MODULE_EXPORT const char* getGUIScript() { std::abort(); }
