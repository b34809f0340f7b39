// The plugin's boundary seen from a full host, where the validator (Halvane.exe --check) does not
// look: the metadata texts over a plugin's life, the export table, the module's contents, the host
// function list, and the host table that all plugin objects share.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host_function_names.h"
#include "plugin/host_function_list.h"
#include "plugin_fixture.h"

namespace {

// The host keeps the returned pointers, so the texts must live in static storage: each pointer still
// reads its text after every other export and a plugin's whole life have run, and is returned again.
TEST_F(PluginHostTest, MetadataTextsStayValidAndInPlace) {
  const halvane_host::PluginModule::Text exports[] = {module_.getPluginName,    module_.getPluginDescription,
                                                      module_.getAuthor,        module_.getHelpFile,
                                                      module_.getPluginVersion, module_.getGUIScript};
  std::vector<const char*> held;
  std::vector<std::string> texts;
  for (auto text : exports) {
    held.push_back(text());
    texts.emplace_back(held.back());
  }
  auto plugin = create_plugin();
  ASSERT_TRUE(plugin->initPlugin());
  plugin.reset();
  for (std::size_t i = 0; i < held.size(); ++i) {
    EXPECT_EQ(std::string(held[i]), texts[i]) << i;
    EXPECT_EQ(exports[i](), held[i]) << i;
  }
}

TEST_F(PluginHostTest, ExportsPlainNamesAndTheClassesButNotTheLibrary) {
  using halvane_host::loader::find_export;
  for (const char* name : {"createPlugin", "getPluginName", "getPluginDescription", "getAuthor",
                           "getHelpFile", "getPluginVersion", "getGUIScript"}) {
    EXPECT_NE(find_export(module_.handle, name), nullptr) << name;
  }
#if defined(__GNUC__)
  // Both compilers of this project mangle C++ names the same way; the classes' members and virtual
  // tables are exports, the numerical library is not.
  for (const char* name : {"_ZN22HalvanePluginInterfaceC1Ev", "_ZN22HalvanePluginInterfaceC1ERKS_",
                           "_ZN22HalvanePluginInterfaceD1Ev", "_ZN22HalvanePluginInterfaceaSERKS_",
                           "_ZTV22HalvanePluginInterface", "_ZN6tarvelC1Ev", "_ZN6tarvelD1Ev",
                           "_ZN6tarvel7executeEv", "_ZN6tarvel10initPluginEv"}) {
    EXPECT_NE(find_export(module_.handle, name), nullptr) << name;
  }
  EXPECT_EQ(find_export(module_.handle, "_ZN8numerics6vectorEii"), nullptr);
  EXPECT_EQ(find_export(module_.handle, "_ZN8numerics19fatal_numeric_errorEPKc"), nullptr);
#endif
}

// The library is inside the module although nothing of it is exported: its error texts are there.
TEST_F(PluginHostTest, TheModuleCarriesTheNumericalLibrary) {
  std::ifstream file(module_path(), std::ios::binary);
  ASSERT_TRUE(file) << module_path();
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  for (const char* text : {"Corvane run-time error...", "gaussj: Singular Matrix-1",
                           "NSTACK too small in sort.", "fft_complex: count is not a power of two"}) {
    EXPECT_NE(bytes.find(text), std::string::npos) << text;
  }
}

std::vector<std::string> host_function_names() {
  std::vector<std::string> names;
#define NAME_OF_TYPED(name, type) names.push_back(#name);
#define NAME_OF_UNTYPED(name) names.push_back(#name);
  HALVANE_HOST_FUNCTIONS(NAME_OF_TYPED, NAME_OF_UNTYPED)
#undef NAME_OF_TYPED
#undef NAME_OF_UNTYPED
  return names;
}

// The plugin's list against the documented names: the test hosts export whatever the list spells, so
// only this comparison catches a wrong name.
TEST(HostFunctionList, MatchesTheDocumentedNamesInBindingOrder) {
  const std::vector<std::string> names = host_function_names();
  const auto& documented = host_fixture::kHostFunctionNames;
  ASSERT_EQ(names.size(), documented.size());
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(names[i], documented[i]) << "position " << i;
}

TEST_F(PluginHostTest, ObjectsShareTheModuleWideTable) {
  auto first = create_plugin();
  auto second = create_plugin();
  EXPECT_TRUE(first->initPlugin());
  mark();
  // The second object was never initialised, yet it logs its end through the shared table.
  second.reset();
  EXPECT_EQ(calls_since_mark(), halvane_host::contract::destruction_calls());
}

}  // namespace
