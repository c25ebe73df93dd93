#include "device/transfer_texts.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

namespace {

// CWStr formats no hexadecimal numbers.
std::u16string hexText(uint32_t value) {
    char digits[12];
    std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(value));
    return std::u16string(digits, digits + std::strlen(digits));
}

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
constexpr const char16_t* kCompletionText = u"Output file successfully created.";
constexpr const char16_t* kErasedCompletionText =
    u"Output file successfully created.\n\nDevice memory erased.";

} // namespace

const char16_t* CompletionText(bool erased) {
    return erased ? kErasedCompletionText : kCompletionText;
}

const char16_t* ErrorText(int32_t code) {
    // Compared unsigned, so negative codes fall to the last text.
    const auto index = static_cast<uint32_t>(code);
    return index < std::size(kErrorTexts) ? kErrorTexts[index] : kUnknownErrorText;
}

// Without its start sentence a dump announces no count to compare with.
CWStr DamagedDumpText(const DumpCompleteness& dump) {
    if (!dump.startSeen)
        return CWStr(u"The start of the log dump did not arrive intact.");
    if (dump.missingLines() == 0)
        return CWStr(u"The end of the log dump did not arrive intact.");
    CWStr text;
    text.Format(u"%d of the %d log lines announced by the device did not arrive intact.",
                dump.missingLines(), dump.announcedLines);
    return text;
}

CWStr IncompleteDumpWarning(const DumpCompleteness& dump) {
    CWStr text = DamagedDumpText(dump);
    text.Append(u"\n\nThe output file holds the positions that did arrive. The device memory was "
                u"kept: transfer again to get the missing positions.");
    return text;
}

CWStr DeviceStatusText(const FoundDevice& device) {
    CWStr text;
    if (device.family != DeviceFamily::Module)
        return text;
    const std::u16string model(device.model.begin(), device.model.end());
    const LoggerStatus& status = device.status;
    if (!status.known) {
        text.Format(u"%s LOCUS logger: no log status reported", model.c_str());
        return text;
    }
    CWStr logging;
    if (status.logging)
        logging.Format(u"logging every %d s", status.intervalSeconds);
    else
        logging.Assign(u"logging stopped");
    text.Format(u"%s LOCUS logger: %d positions stored, memory %d %% used, %s", model.c_str(),
                status.records, status.percentUsed, logging.c_str());
    return text;
}

CWStr CompletionWarning(const CompletionNotes& notes) {
    CWStr text;
    auto add = [&text](const CWStr& paragraph) {
        if (!text.IsEmpty())
            text.Append(u"\n\n");
        text.Append(paragraph);
    };
    if (notes.detail == kCompleteFromIncompleteDump)
        add(IncompleteDumpWarning(notes.dump));
    if (notes.detail == kCompleteEraseUnconfirmed) {
        add(CWStr(u"The logger did not confirm the erase. The output file is complete; the "
                  u"device memory may still hold the log."));
    }
    CWStr paragraph;
    if (notes.layout.unknownContent()) {
        paragraph.Format(u"The log's records hold fields this program does not know (content "
                         u"0x%s). They were read as 16-byte positions and may be wrong.",
                         hexText(notes.layout.content).c_str());
        add(paragraph);
    }
    if (!notes.lineRateRestored) {
        paragraph.Format(u"The logger did not confirm its line rate of %d baud again; until it "
                         u"restarts it may talk at 115200 baud.",
                         static_cast<int32_t>(notes.device.lineRate));
        add(paragraph);
    }
    return text;
}
