#include "support/wide_format.h"
#include "support/wide_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

struct Formatted {
    int result;
    std::u16string buffer; // every character of the buffer, sentinels included
};

// Formats into a buffer of maxChars + 1 characters filled with '#', so that
// writes past the limit and missing terminators show.
Formatted formatInto(size_t maxChars, const char16_t* format, ...) {
    std::u16string buffer(maxChars + 1, u'#');
    va_list args;
    va_start(args, format);
    const int result = formatWide(buffer.data(), maxChars, format, args);
    va_end(args);
    return {result, buffer};
}

std::string written(const Formatted& f) {
    return narrowText(f.buffer.c_str());
}

TEST(WideFormat, Conversions) {
    struct Row {
        const char* name;
        Formatted actual;
        int expectResult;
        std::string expectText;
    };
    const Row rows[] = {
        {"plain text", formatInto(64, u"GPS-Track"), 9, "GPS-Track"},
        {"%d and %i alike", formatInto(64, u"%d/%i", 42, -42), 6, "42/-42"},
        {"width pads on the left", formatInto(64, u"[%5d]", -12), 7, "[  -12]"},
        {"minus aligns left", formatInto(64, u"[%-5i]", 7), 7, "[7    ]"},
        {"repeated minus is one flag", formatInto(64, u"[%--4d]", 1), 6, "[1   ]"},
        {"most negative int", formatInto(64, u"%d", INT_MIN), 11, "-2147483648"},
        {"wide text argument", formatInto(64, u"<%s>", u"COM7"), 6, "<COM7>"},
        {"text with width", formatInto(64, u"[%6s|%-6s]", u"ab", u"cd"), 15, "[    ab|cd    ]"},
        {"null text", formatInto(64, u"%s", static_cast<const char16_t*>(nullptr)), 6, "(null)"},
        {"percent sign", formatInto(64, u"100%%"), 4, "100%"},
        {"backslashes pass through", formatInto(64, u"\\\\.\\COM%i", 3), 8, "\\\\.\\COM3"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expectResult, row.actual.result);
        EXPECT_EQ(row.expectText, written(row.actual));
    }
}

TEST(WideFormat, LimitsAndBadFormats) {
    struct Row {
        const char* name;
        Formatted actual;
        int expectResult;
        std::string expectBuffer; // the whole buffer, sentinel included
    };
    const Row rows[] = {
        {"fits with room for the terminator", formatInto(5, u"abcd"), 4,
         std::string("abcd") + '\0' + "#"},
        {"exactly full: no terminator written", formatInto(5, u"abcde"), 5, "abcde#"},
        {"one too many: cut and failed", formatInto(5, u"abcdef"), -1, "abcde#"},
        {"padding past the end is cut", formatInto(5, u"%-9d", 1), -1, "1    #"},
        {"unknown conversion fails", formatInto(8, u"ab%xcd", 1), -1,
         std::string("ab") + '\0' + "######"},
        {"lone percent at the end fails", formatInto(8, u"ab%"), -1,
         std::string("ab") + '\0' + "######"},
        {"zero flag is not supported", formatInto(8, u"%05d", 1), -1,
         std::string("") + '\0' + "########"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expectResult, row.actual.result);
        EXPECT_EQ(row.expectBuffer, narrowText(row.actual.buffer));
    }
}

// Integers with every supported flag and width must read as printf writes them.
TEST(WideFormat, IntegersMatchPrintf) {
    const int values[] = {0, 7, -7, 123, -4567, INT_MAX, INT_MIN};
    for (int value : values) {
        for (int width = 0; width <= 13; ++width) {
            for (bool left : {false, true}) {
                const std::string narrowFormat = std::string("%") + (left ? "-" : "") +
                                                 (width ? std::to_string(width) : "") + "d";
                char expected[64];
                std::snprintf(expected, sizeof expected, narrowFormat.c_str(), value);
                std::u16string wideFormat(narrowFormat.begin(), narrowFormat.end());
                const Formatted actual = formatInto(63, wideFormat.c_str(), value);
                EXPECT_EQ(expected, written(actual))
                    << "format " << narrowFormat << " value " << value;
                EXPECT_EQ(static_cast<int>(std::string(expected).size()), actual.result)
                    << "format " << narrowFormat << " value " << value;
            }
        }
    }
}

} // namespace
