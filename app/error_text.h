#pragma once

#include <cstdint>

// The error page's text for a run's error code; codes outside 0 to 9 (negative
// ones included) give the internal-error text.
const char16_t* ErrorText(int32_t code);
