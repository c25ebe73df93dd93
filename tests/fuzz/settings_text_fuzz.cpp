// Random settings files and texts: reading never crashes, every text written
// reads back unchanged, and a set value is found again whatever the file held.
#include "support/ini_document.h"
#include "support/utf8_text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    IniDocument document;
    document.parse(bytes);
    std::string raw, text;
    if (document.find("General", "Path", raw))
        decodeIniText(raw, text);

    // Any byte string as a value survives encoding, a save and a reload.
    const std::string encoded = encodeIniText(bytes);
    document.set("General", "Path", encoded);
    IniDocument reloaded;
    reloaded.parse(document.text());
    if (!reloaded.find("General", "Path", raw) || raw != encoded)
        __builtin_trap();
    if (!decodeIniText(raw, text) || text != bytes)
        __builtin_trap();

    // UTF-8 that converts at all converts back to the same bytes.
    std::u16string wide;
    if (utf16FromUtf8(bytes, wide) && utf8FromUtf16(wide) != bytes)
        __builtin_trap();
    return 0;
}
