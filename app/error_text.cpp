#include "app/error_text.h"

#include <iterator>

namespace {

constexpr const char16_t* kErrorTexts[] = {
    u"Internal Error #031.\n\nPlease contact ZOR support if this error persists.",
    u"Unable to open the Bluetooth connection.\n\nPlease ensure that the device is switched on "
    u"and located near the Bluetooth antenna.",
    u"Error communicating with Bluetooth device.\n\nPlease ensure that the device is switched on "
    u"and located near the Bluetooth antenna.",
    u"Error reading from Bluetooth device.\n\nPlease ensure that the device is switched on and "
    u"located near the Bluetooth antenna.",
    u"Error opening output file.\n\nTry to use a different folder and/or filename.",
    u"Error writing to output file.",
    u"Internal Error #033.\n\nPlease contact ZOR support.",
    u"Operation aborted.",
    u"No ZOR 7700 device detected.",
    u"No tracks stored on the device.",
};
constexpr const char16_t* kUnknownErrorText =
    u"Internal Error #032.\n\nPlease contact ZOR support.";

} // namespace

const char16_t* ErrorText(int32_t code) {
    // Compared unsigned, so negative codes fall to the last text.
    const auto index = static_cast<uint32_t>(code);
    return index < std::size(kErrorTexts) ? kErrorTexts[index] : kUnknownErrorText;
}
