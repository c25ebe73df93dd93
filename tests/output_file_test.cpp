#include "support/output_file.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool writeText(OutputFile& file, const std::string& text) {
    return file.write(text.data(), static_cast<uint32_t>(text.size()));
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// The target changes only at commit, and then all at once; a file closed
// before leaves it as it was. Either way nothing else stays in the folder.
TEST(OutputFile, TheTargetIsReplacedWholeAtCommitOnly) {
    const std::string blocks(200 * 1024 + 7, 'b'); // more than one block
    struct Case {
        const char* name;
        std::u16string fileName;
        const char* oldContent; // nullptr: no file there before
        std::vector<std::string> writes;
        bool commit;
    };
    const Case cases[] = {
        {"a new file", u"track.kml", nullptr, {"line one\r\n", "line two\r\n"}, true},
        {"an existing, longer file",
         u"track.kml",
         "old content, longer than the new",
         {"new"},
         true},
        {"a name outside ASCII", u"Stra\u00dfe \u65e5\u672c.txt", nullptr, {"x"}, true},
        {"blocks and a large write", u"big", "old", {"head", blocks, "tail"}, true},
        {"an empty file replaces the old one", u"track.kml", "old", {}, true},
        {"closed before commit: the earlier file stays", u"track.kml", "old", {"new"}, false},
        {"closed before commit: no new file", u"track.kml", nullptr, {blocks}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::filesystem::path target = folder.path() / c.fileName;
        if (c.oldContent != nullptr)
            std::ofstream(target, std::ios::binary) << c.oldContent;
        const std::string before = c.oldContent != nullptr ? c.oldContent : "";
        OutputFile file;
        ASSERT_TRUE(file.create(folder.pathOf(c.fileName)));
        std::string written;
        for (const std::string& text : c.writes) {
            EXPECT_TRUE(writeText(file, text));
            written += text;
        }
        EXPECT_EQ(std::filesystem::exists(target), c.oldContent != nullptr);
        EXPECT_TRUE(readFile(target) == before) << "the target changed before the commit";
        if (c.commit) {
            EXPECT_TRUE(file.commit());
        } else {
            file.close();
        }
        EXPECT_FALSE(file.isOpen());
        EXPECT_TRUE(readFile(target) == (c.commit ? written : before));
        const bool present = c.commit || c.oldContent != nullptr;
        EXPECT_EQ(namesIn(folder.path()).size(), present ? 1u : 0u);
    }
}

TEST(OutputFile, FailuresAreReported) {
    TempFolder folder;
    OutputFile file;
    EXPECT_FALSE(file.create(folder.pathOf(u"missing folder/track.kml")))
        << "a file in a folder that does not exist";
    EXPECT_FALSE(file.create(folder.pathOf(u""))) << "a folder";
    EXPECT_FALSE(OutputFile::accepts(folder.pathOf(u"missing folder/track.kml")));
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(writeText(file, "x")) << "write without a file";
    EXPECT_FALSE(file.commit()) << "commit without a file";

    ASSERT_TRUE(file.create(folder.pathOf(u"track.kml")));
    file.close();
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(writeText(file, "x")) << "write after close";
    EXPECT_TRUE(OutputFile::accepts(folder.pathOf(u"track.kml")));
    EXPECT_TRUE(namesIn(folder.path()).empty()) << "neither the probe nor the closed file stays";
}

} // namespace
