#include "tool_main.h"
#include "support/utf8_text.h"

#include <windows.h>
#include <shellapi.h>

int main() {
    // The narrow arguments would lose what the ANSI code page cannot hold.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        arguments.push_back(utf8FromUtf16(reinterpret_cast<const char16_t*>(wide[i])));
    }
    LocalFree(wide);
    SetConsoleOutputCP(CP_UTF8);
    return toolMain(arguments);
}
