#include "tools/common/port_list_print.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// Against the real /dev and /sys, with one user port in a private configuration folder.
TEST(PortListPrint, PrintsThePortsOnlyWithTheirWholeDescriptions) {
    struct Row {
        const char* name;
        std::string folder; // of the configuration, inside the temporary root
    };
    const Row rows[] = {
        {"a short path", "c"},
        {"a path past the combo box's 79 characters", std::string(90, 'd')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string pattern = (fs::temp_directory_path() / "zor-print-XXXXXX").string();
        const fs::path root = mkdtemp(pattern.data());
        const fs::path link = root / row.folder / "ZOR" / "ports" / "COM250";
        fs::create_directories(link.parent_path());
        fs::create_symlink("/dev/null", link);
        setenv("XDG_CONFIG_HOME", (root / row.folder).c_str(), 1);

        std::FILE* out = std::tmpfile();
        ASSERT_NE(out, nullptr);
        printPortList(out);
        std::string text(static_cast<size_t>(std::ftell(out)), '\0');
        std::rewind(out);
        text.resize(std::fread(text.data(), 1, text.size(), out));
        std::fclose(out);
        fs::remove_all(root);

        const std::string last = "COM250 - Link to /dev/null (" + link.string() + ")\n";
        ASSERT_GE(text.size(), last.size());
        for (size_t line = 0; line < text.size(); line = text.find('\n', line) + 1)
            EXPECT_EQ(text.compare(line, 3, "COM"), 0) << "every line is a port:\n" << text;
        EXPECT_EQ(text.substr(text.size() - last.size()), last) << text;
    }
}

} // namespace
