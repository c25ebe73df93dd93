#include "output/kml_writer.h"
#include "output/nmea_writer.h"
#include "support/output_file.h"

#include "support/temp_folder.h"
#include "support/track_fixture.h"
#include "support/wide_text.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// /dev/full refuses every write as a full disk does, and a device is written
// directly: the failure shows at the latest when the file is committed.
TEST(OutputFilePosix, FullDeviceFailsTheCommit) {
    const TrackStore store = makeStore(0, {{0, trackRecord(100, 1, 1)}});
    struct Case {
        const char* name;
        bool (*writeTrack)(const TrackStore&, ByteSink&);
    };
    const Case cases[] = {{"KML", writeKmlTrack}, {"NMEA", writeNmeaTrack}};
    for (const Case& c : cases) {
        OutputFile file;
        ASSERT_TRUE(file.create(CWStr(u"/dev/full"))) << c.name;
        c.writeTrack(store, file);
        EXPECT_FALSE(file.commit()) << c.name;
    }
}

// A disk that fills up half-way (here: the file size limit) fails the commit
// and costs nothing: the earlier file stays byte for byte, nothing else stays.
TEST(OutputFilePosix, AFailedWriteKeepsTheEarlierFile) {
    TempFolder folder;
    const fs::path target = folder.path() / "track.kml";
    std::ofstream(target) << "earlier track\n";
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    OutputFile file;
    const bool created = file.create(widePath(target.string()));
    const std::string block(4096, 'x');
    for (int i = 0; i < 100; ++i)
        file.write(block.data(), static_cast<uint32_t>(block.size()));
    const bool committed = file.commit();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);
    ASSERT_TRUE(created);
    EXPECT_FALSE(committed);
    EXPECT_EQ(readFile(target), "earlier track\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

// What the replaced file keeps, and what standard output's file gets.
TEST(OutputFilePosix, ReplacementKeepsLinksAndPermissions) {
    TempFolder folder;
    const fs::path real = folder.path() / "real.kml";
    const fs::path link = folder.path() / "link.kml";
    std::ofstream(real) << "earlier\n";
    chmod(real.c_str(), 0640);
    fs::create_symlink("real.kml", link);
    OutputFile file;
    ASSERT_TRUE(file.create(widePath(link.string())));
    ASSERT_TRUE(file.write("new\n", 4));
    ASSERT_TRUE(file.commit());
    EXPECT_TRUE(fs::is_symlink(link)) << "the link stays a link";
    EXPECT_EQ(readFile(real), "new\n");
    struct stat info {};
    stat(real.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    for (const char16_t* name : {OutputFile::kStandardOutput, u"/dev/stdout"}) {
        SCOPED_TRACE(narrowText(name));
        const fs::path redirected = folder.path() / "stdout";
        std::fflush(stdout);
        const int saved = dup(STDOUT_FILENO);
        const int out = open(redirected.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_EQ(write(out, "head\n", 5), 5);
        dup2(out, STDOUT_FILENO);
        close(out);
        const bool written = file.create(CWStr(name)) && file.write("body\n", 5) && file.commit();
        dup2(saved, STDOUT_FILENO);
        close(saved);
        EXPECT_TRUE(written);
        EXPECT_EQ(readFile(redirected), "head\nbody\n") << "at standard output's offset";
    }
}

} // namespace
