#include "device/module_replies.h"

#include "device/sentence_assembler.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool startsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// A decimal field, or -1 when it holds no number.
int32_t numberField(const char* text, int32_t n, int base = 10) {
    char field[16];
    if (!extractField(text, n, field) || field[0] == 0)
        return -1;
    char* end = nullptr;
    const long value = std::strtol(field, &end, base);
    return *end == 0 && value >= 0 && value <= INT32_MAX ? static_cast<int32_t>(value) : -1;
}

} // namespace

bool readReleaseReply(const char* text, std::string& model) {
    char field[16];
    if (!startsWith(text, "$PMTK705,") || !extractField(text, 3, field))
        return false;
    model = field;
    return true;
}

bool readLogStatus(const char* text, LoggerStatus& status) {
    constexpr int32_t kContent = 4, kInterval = 5, kStatus = 8, kRecords = 9, kPercent = 10;
    if (!startsWith(text, "$PMTKLOG,"))
        return false;
    const int32_t fields[] = {numberField(text, kContent), numberField(text, kInterval),
                              numberField(text, kStatus), numberField(text, kRecords),
                              numberField(text, kPercent)};
    // A short "$PMTKLOG,FULL_STOP" and the like say nothing of the log.
    for (int32_t value : fields) {
        if (value < 0)
            return false;
    }
    status.known = true;
    status.content = static_cast<uint32_t>(fields[0]);
    status.intervalSeconds = fields[1];
    status.logging = fields[2] != 1;
    status.records = fields[3];
    status.percentUsed = fields[4];
    return true;
}

bool readAcknowledgement(const char* text, int32_t command, int32_t& flag) {
    if (!startsWith(text, "$PMTK001,") || numberField(text, 1) != command)
        return false;
    flag = numberField(text, 2);
    return flag >= 0;
}
