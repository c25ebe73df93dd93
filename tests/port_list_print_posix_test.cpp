#include "tools/common/port_list_print.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// Against the real /dev and /sys, with one user port of a private configuration folder.
TEST(PortListPrint, PrintsThePortPageItemsOnePerLine)
{
    std::string pattern = (fs::temp_directory_path() / "zor-print-XXXXXX").string();
    const fs::path root = mkdtemp(pattern.data());
    fs::create_directories(root / "ZOR" / "ports");
    fs::create_symlink("/dev/null", root / "ZOR" / "ports" / "COM250");
    setenv("XDG_CONFIG_HOME", root.c_str(), 1);

    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    printPortList(out);
    std::string text(static_cast<size_t>(std::ftell(out)), '\0');
    std::rewind(out);
    text.resize(std::fread(text.data(), 1, text.size(), out));
    std::fclose(out);
    fs::remove_all(root);

    const std::string last = "COM250 - Link to /dev/null (" + (root / "ZOR" / "ports" / "COM250").string() + ")\n";
    EXPECT_EQ(text.substr(0, 23), "Select Serial Port ...\n");
    ASSERT_GE(text.size(), last.size());
    EXPECT_EQ(text.substr(text.size() - last.size()), last) << text;
}

} // namespace
