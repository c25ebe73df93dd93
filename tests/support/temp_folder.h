#pragma once

#include "support/cwstr.h"
#include "support/non_copyable.h"

#include <filesystem>
#include <string>

// A fresh, empty folder under the system's temporary folder, removed with all
// it holds when the test ends. Portable, so Windows tests under wine use it too.
class TempFolder : NonCopyable {
public:
    TempFolder();
    ~TempFolder();

    const std::filesystem::path& path() const { return root; }
    // The path of `name` inside the folder as the program's text type.
    CWStr pathOf(const std::u16string& name) const;

private:
    std::filesystem::path root;
};

// The whole content of a file, empty when it cannot be read.
std::string readFile(const std::filesystem::path& file);
