#include "dump_plan.h"

#include "tools/common/log_encoder.h"

#include <algorithm>

namespace {

// Memory line numbers in the order they leave the device.
std::vector<int32_t> sendOrder(int32_t count, const FaultPlan& faults) {
    std::vector<int32_t> order;
    for (int32_t i = 0; i < count; ++i) {
        if (i == faults.dropLine)
            continue;
        order.push_back(i);
        if (i == faults.repeatLine)
            order.push_back(i);
    }
    // The swapped line goes out right behind its successor.
    auto swapped = std::find(order.begin(), order.end(), faults.swapLine);
    if (swapped != order.end() && swapped + 1 != order.end())
        std::iter_swap(swapped, swapped + 1);
    return order;
}

} // namespace

std::string withWrongChecksum(const std::string& sentence) {
    std::string changed = sentence;
    size_t star = changed.rfind('*');
    if (star != std::string::npos && star + 2 < changed.size()) {
        char& digit = changed[star + 2];
        digit = digit == '0' ? '1' : '0';
    }
    return changed;
}

std::string withWords(const std::string& sentence, int32_t words) {
    // Fields behind "$PMTKLOX": type, line index, then the words.
    size_t end = 0;
    for (int32_t comma = 0; comma < words + 3 && end != std::string::npos; ++comma) {
        end = sentence.find_first_of(",*", end + 1);
        if (end != std::string::npos && sentence[end] == '*')
            return sentence;
    }
    if (end == std::string::npos)
        return sentence;
    return withChecksum(sentence.substr(1, end - 1));
}

DumpPlan planDump(const LogLines& memory, const FaultPlan& faults) {
    DumpPlan plan;
    int32_t count = static_cast<int32_t>(memory.size());
    plan.sentences.push_back(dumpStartSentence(count));
    int32_t sent = 0;
    for (int32_t index : sendOrder(count, faults)) {
        if (sent == faults.silenceAfter || sent == faults.hangUpAfter)
            break;
        std::string line = memory[static_cast<size_t>(index)];
        if (faults.shortFinalLine && index == count - 1)
            line = withWords(line, 16);
        ++sent;
        if (faults.corruptEvery > 0 && sent % faults.corruptEvery == 0)
            line = withWrongChecksum(line);
        plan.sentences.push_back(line);
    }
    plan.hangUp = sent == faults.hangUpAfter;
    if (!plan.hangUp && sent != faults.silenceAfter)
        plan.sentences.push_back(dumpEndSentence());
    return plan;
}
