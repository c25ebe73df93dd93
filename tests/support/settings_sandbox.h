#pragma once

#include <string>

// A private place for the wizard's settings (and, on Linux, its user-defined
// ports) for the life of one test, removed again afterwards: a temporary
// XDG_CONFIG_HOME and HOME on Linux, a cleared registry key on Windows.
class SettingsSandbox {
public:
    explicit SettingsSandbox(const std::string& name);
    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;
    ~SettingsSandbox();

    // Forgets the stored settings.
    void Clear();
    // True when the settings have been stored.
    bool Exists() const;

private:
    std::string root;
};
