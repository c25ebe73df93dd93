#include "command_report.h"

CommandReport::CommandReport(const std::string& reportPath) : path(reportPath) {
    if (!path.empty())
        file = std::fopen(path.c_str(), "w");
}

CommandReport::~CommandReport() {
    if (file != nullptr)
        std::fclose(file);
}

void CommandReport::add(uint32_t milliseconds, const std::string& text) {
    entries.push_back(std::to_string(milliseconds) + " " + text);
    if (file == nullptr)
        return;
    std::fprintf(file, "%s\n", entries.back().c_str());
    std::fflush(file);
}
