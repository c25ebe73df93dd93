#include "output/line_writer.h"

#include <array>
#include <cstdarg>
#include <cstdint>
#include <cstdio>

bool writeLine(ByteSink& file, const char* format, ...) {
    std::array<char, 256> line;
    va_list args;
    va_start(args, format);
    const int formatted = std::vsnprintf(line.data(), line.size(), format, args);
    va_end(args);
    if (formatted <= 0) {
        return true;
    }
    const uint32_t length = formatted < static_cast<int>(line.size())
                                ? static_cast<uint32_t>(formatted)
                                : static_cast<uint32_t>(line.size() - 1);
    return file.write(line.data(), length);
}
