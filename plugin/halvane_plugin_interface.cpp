// Out-of-line members of the plugin interface, so that they (and the virtual table) are module exports.
#include "plugin/halvane_plugin_interface.h"

HalvanePluginInterface::HalvanePluginInterface() noexcept = default;
HalvanePluginInterface::HalvanePluginInterface(const HalvanePluginInterface&) noexcept = default;
HalvanePluginInterface::~HalvanePluginInterface() = default;

HalvanePluginInterface& HalvanePluginInterface::operator=(const HalvanePluginInterface&) noexcept {
  return *this;
}
