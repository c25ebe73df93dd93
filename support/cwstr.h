#pragma once

#include <cstdint>

// The program's text type: UTF-16, NUL-terminated, shared storage with a
// reference count and copy-on-write. Characters are 16-bit on every platform,
// so paths and captions read the same on Windows and Linux.
class CWStr {
public:
    CWStr();
    CWStr(const CWStr& other);
    CWStr& operator=(const CWStr& other);
    explicit CWStr(const char16_t* text);
    ~CWStr();

    // Makes this value's block private with room for `length` characters plus
    // the terminator; `keep` preserves the text, otherwise it is unspecified.
    void Reserve(int32_t length, bool keep);
    // Both take text from anywhere, this value's own storage included.
    CWStr Assign(const char16_t* text);
    CWStr Append(const char16_t* text);
    // printf-style wide formatting (%d %i with '-' and width, %s for char16_t
    // texts, %%); results longer than 1023 characters are cut to 1023, a bad
    // format ends the text where it stopped. Returns the length of the text.
    int32_t Format(const char16_t* format, ...);

    const char16_t* c_str() const { return text; }
    operator const char16_t*() const { return text; }
    char16_t* Buffer() { return text; }
    int32_t Length() const;
    bool IsEmpty() const { return text[0] == 0; }

    // Storage facts, for tests and the few callers that write into Buffer().
    int32_t Capacity() const;
    int32_t RefCount() const;
    static int32_t BlockBytesFor(int32_t length);

private:
    void Release();
    bool HoldsInBlock(const char16_t* value) const;

    char16_t* text;
};

// Length of a NUL-terminated 16-bit text.
int32_t wideLength(const char16_t* text);
