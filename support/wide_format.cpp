#include "support/wide_format.h"

#include <cstdint>

namespace {

// Collects the output and remembers whether anything fell off the end.
class WideOutput {
public:
    WideOutput(char16_t* buffer, size_t maxChars) : buffer(buffer), maxChars(maxChars) {}

    void put(char16_t c) {
        if (count < maxChars)
            buffer[count] = c;
        ++count;
    }

    void pad(size_t chars) {
        for (size_t i = 0; i < chars; ++i)
            put(u' ');
    }

    // A field padded to `width` on the left, or on the right when left-aligned.
    void field(const char16_t* text, size_t length, size_t width, bool leftAlign) {
        const size_t padding = width > length ? width - length : 0;
        if (!leftAlign)
            pad(padding);
        for (size_t i = 0; i < length; ++i)
            put(text[i]);
        if (leftAlign)
            pad(padding);
    }

    // Terminates when there is room, as the C library's bounded formatters do.
    int finish(bool formatOk) {
        if (count < maxChars)
            buffer[count] = 0;
        return formatOk && count <= maxChars ? static_cast<int>(count) : -1;
    }

private:
    char16_t* buffer;
    size_t maxChars;
    size_t count = 0;
};

// Decimal digits of `value`, sign included; returns the number of characters.
size_t decimalText(int value, char16_t (&digits)[12]) {
    char16_t reversed[12];
    size_t length = 0;
    // Through unsigned so that the most negative int has a magnitude.
    uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        reversed[length++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    size_t out = 0;
    if (value < 0)
        digits[out++] = u'-';
    while (length > 0)
        digits[out++] = reversed[--length];
    return out;
}

size_t textLength(const char16_t* text) {
    size_t length = 0;
    while (text[length] != 0)
        ++length;
    return length;
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

int formatWide(char16_t* buffer, size_t maxChars, const char16_t* format, va_list args) {
    WideOutput output(buffer, maxChars);
    const char16_t* p = format;
    while (*p != 0) {
        if (*p != u'%') {
            output.put(*p++);
            continue;
        }
        ++p;
        bool leftAlign = false;
        while (*p == u'-') {
            leftAlign = true;
            ++p;
        }
        // Zero padding is a printf flag the program never uses; refuse it
        // rather than pad with spaces.
        if (*p == u'0')
            return output.finish(false);
        // A width beyond the buffer cannot fit anyway; stop counting there.
        size_t width = 0;
        while (isDigit(*p)) {
            if (width <= maxChars)
                width = width * 10 + static_cast<size_t>(*p - u'0');
            ++p;
        }
        switch (*p) {
        case u'd':
        case u'i': {
            char16_t digits[12];
            const size_t length = decimalText(va_arg(args, int), digits);
            output.field(digits, length, width, leftAlign);
            break;
        }
        case u's': {
            const char16_t* text = va_arg(args, const char16_t*);
            if (text == nullptr)
                text = u"(null)";
            output.field(text, textLength(text), width, leftAlign);
            break;
        }
        case u'%':
            output.put(u'%');
            break;
        default:
            return output.finish(false);
        }
        ++p;
    }
    return output.finish(true);
}
