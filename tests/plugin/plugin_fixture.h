// Test fixture for a test program that is itself a host: it exports the host functions (the
// recording host of host/host_api.cpp), loads the built plugin module and drives it in-process. The
// texts and calls it expects are the host contract's (host/contract.h).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/contract.h"
#include "host/host_api.h"
#include "host/module_loader.h"
#include "host/plugin_module.h"

// Where the module lies relative to this test program (set by CMake).
#ifndef TARVEL_MODULE_RELATIVE_DIR
#define TARVEL_MODULE_RELATIVE_DIR ""
#endif

class PluginHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    halvane_host::reset();
    std::string error;
    ASSERT_TRUE(halvane_host::open_plugin_module(module_path(), module_, error))
        << module_path() << ": " << error;
  }

  static std::string module_path() {
    return halvane_host::loader::executable_directory() + TARVEL_MODULE_RELATIVE_DIR +
           halvane_host::loader::kModuleFileName;
  }

  void TearDown() override { halvane_host::close_plugin_module(module_); }

  std::unique_ptr<HalvanePluginInterface> create_plugin() {
    return std::unique_ptr<HalvanePluginInterface>(module_.createPlugin());
  }

  // The host calls made since the last mark.
  std::vector<std::string> calls_since_mark() const {
    const auto& all = halvane_host::calls();
    return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(mark_), all.end());
  }
  void mark() { mark_ = halvane_host::calls().size(); }

  halvane_host::PluginModule module_;
  std::size_t mark_ = 0;
};
