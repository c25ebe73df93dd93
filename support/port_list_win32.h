#pragma once

#include "support/cwstr.h"

#include <windows.h>

// Reads a device's "PortName" from its open hardware key, with or without a
// stored terminator. On failure the error code is the thread's last error
// and `name` is left as it was.
bool ReadPortName(HKEY key, CWStr& name);
