#include "output/output_file.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

bool writeText(OutputFile& file, const std::string& text) {
    return file.write(text.data(), static_cast<uint32_t>(text.size()));
}

TEST(OutputFile, CreateWriteCommit) {
    struct Case {
        const char* name;
        std::u16string fileName;
        const char* oldContent; // nullptr: no file there before
    };
    const Case cases[] = {
        {"a new file", u"track.kml", nullptr},
        {"an existing, longer file is replaced", u"track.kml", "old content, longer than the new"},
        {"a name outside ASCII", u"Stra\u00dfe \u65e5\u672c.txt", nullptr},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const std::filesystem::path target = folder.path() / c.fileName;
        if (c.oldContent != nullptr) {
            std::ofstream(target, std::ios::binary) << c.oldContent;
        }
        OutputFile file;
        ASSERT_TRUE(file.create(folder.pathOf(c.fileName))) << c.name;
        EXPECT_TRUE(file.isOpen()) << c.name;
        EXPECT_EQ(std::filesystem::file_size(target), 0u) << c.name << ": created empty";
        EXPECT_TRUE(writeText(file, "line one\r\n")) << c.name;
        EXPECT_TRUE(writeText(file, "line two\r\n")) << c.name;
        EXPECT_TRUE(file.commit()) << c.name;
        EXPECT_FALSE(file.isOpen()) << c.name;
        EXPECT_EQ(readFile(target), "line one\r\nline two\r\n") << c.name;
    }
}

TEST(OutputFile, FailuresAreReported) {
    TempFolder folder;
    OutputFile file;
    EXPECT_FALSE(file.create(folder.pathOf(u"missing folder/track.kml")))
        << "a file in a folder that does not exist";
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(writeText(file, "x")) << "write without a file";
    EXPECT_FALSE(file.commit()) << "commit without a file";

    ASSERT_TRUE(file.create(folder.pathOf(u"track.kml")));
    file.close();
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(writeText(file, "x")) << "write after close";
}

} // namespace
