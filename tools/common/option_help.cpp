#include "tools/common/option_help.h"

namespace {

constexpr size_t kHelpColumn = 24;

} // namespace

std::string optionHelpLine(const char* name, const char* valueName, const char* help) {
    std::string left = std::string("  ") + name;
    if (valueName != nullptr)
        left += std::string(" ") + valueName;
    if (left.size() < kHelpColumn)
        left.resize(kHelpColumn, ' ');
    else
        left += "\n" + std::string(kHelpColumn, ' ');
    return left + help + "\n";
}
