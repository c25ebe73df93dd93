#include "support/settings_sandbox.h"

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path settingsFile(const std::string& root) { return fs::path(root) / "ZOR" / "ZOR7700Track.conf"; }

} // namespace

SettingsSandbox::SettingsSandbox(const std::string& name) {
    root = (fs::temp_directory_path() / ("zor-settings-" + std::to_string(::getpid()) + "-" + name)).string();
    fs::remove_all(root);
    fs::create_directories(fs::path(root) / "ZOR" / "ports");
    fs::create_directories(fs::path(root) / "home");
    ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    ::setenv("HOME", (fs::path(root) / "home").c_str(), 1);
}

SettingsSandbox::~SettingsSandbox() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

void SettingsSandbox::Clear() { fs::remove(settingsFile(root)); }

bool SettingsSandbox::Exists() const { return fs::exists(settingsFile(root)); }
