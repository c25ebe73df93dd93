#pragma once

#include "support/non_copyable.h"

#include <cstdint>

// The per-user settings key "Software\ZOR\ZOR7700Track": the Windows registry
// on Windows, ~/.config/ZOR/ZOR7700Track.conf elsewhere. Opened (and created)
// for one exchange; nothing here ever reports an error to the user.
class CRegistryKey : NonCopyable {
public:
    CRegistryKey();
    virtual ~CRegistryKey();

    bool IsOpen() const { return isOpen; }
    // The value as a 32-bit number, or `fallback` when missing or of another kind.
    int32_t ReadDword(const char16_t* name, int32_t fallback);
    // Reads a text value into a 260-character buffer; empty when missing, too
    // long or of another kind; always terminated.
    void ReadString(const char16_t* name, char16_t (&buffer)[260]);
    void WriteDword(const char16_t* name, int32_t value);
    void WriteString(const char16_t* name, const char16_t* text);

private:
    void* hKey = nullptr;
    bool isOpen = false;
};

// The user's documents folder, or empty text when there is none.
void documentsFolder(char16_t (&buffer)[260]);
