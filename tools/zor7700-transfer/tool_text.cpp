#include "tool_text.h"

#include "support/utf8_text.h"

CWStr pathText(const std::string& utf8) {
    std::u16string text;
    // A name that is not UTF-8 cannot be a path we could create; an empty
    // path makes the file's creation fail with the output-file error.
    if (!utf16FromUtf8(utf8, text))
        text.clear();
    return CWStr(text.c_str());
}

std::string utf8Text(const char16_t* text) {
    return utf8FromUtf16(text);
}
