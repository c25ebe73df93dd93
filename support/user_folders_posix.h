#pragma once

#include <string>

// The per-user folders of a desktop session, as the XDG conventions name them.

// HOME, or the account's home folder when HOME is unset or empty.
std::string homeFolder();
// XDG_CONFIG_HOME when it is an absolute path, else the home folder's ".config".
std::string configFolder();
