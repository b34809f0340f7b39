// Binding against hosts that lack names: a host with only the called functions binds and works; a
// host without the version function, or a process with no module named "Halvane.exe", does not bind
// and then calls nothing, not even at destruction. Built once per host variant (see CMake).
#include "plugin_fixture.h"

using halvane_host::calls;

namespace {

#if defined(TARVEL_HOST_CALLED_ONLY)

TEST_F(PluginHostTest, AHostWithOnlyTheCalledFunctionsBindsAndRunsCommands) {
  auto plugin = create_plugin();
  ASSERT_TRUE(plugin->initPlugin());
  halvane_host::set_string_parameter("Command", "GetTextFileName");
  halvane_host::script_dialog({halvane_host::kDialogChose, "list.txt"});
  EXPECT_TRUE(plugin->execute());
  EXPECT_EQ(halvane_host::string_parameter("Filename"), "list.txt");
  plugin.reset();
  EXPECT_EQ(calls().back(), halvane_host::contract::log_call(halvane_host::contract::kFinishText));
}

#else  // a host that cannot be bound

TEST_F(PluginHostTest, BindingFailsSilentlyAndTheDestructorStaysQuiet) {
  auto plugin = create_plugin();
  EXPECT_FALSE(plugin->initPlugin());
  EXPECT_FALSE(plugin->initPlugin());
  plugin.reset();
  EXPECT_TRUE(calls().empty());
}

#endif

}  // namespace
