#include "device/module_replies.h"

#include <gtest/gtest.h>

namespace {

// Sentence texts as the assembler hands them over, checksum digits left as
// they come: the replies are read after the checksum was checked.
TEST(ModuleReplies, ReadsWhatTheWorkerWaitsFor) {
    struct Row {
        const char* name;
        const char* text;
        bool release;
        std::string model;
        bool status;
        LoggerStatus expected;
        int32_t command;
        int32_t flag; // -2: not an acknowledgement of `command`
    };
    const LoggerStatus none{};
    const Row rows[] = {
        {"a PA6H's release", "$PMTK705,AXN_2.31_3339_13101700,5632,PA6H,1.0*6B", true, "PA6H",
         false, none, 0, -2},
        {"a release without its SDK field", "$PMTK705,AXN_3.10_3333_12102201,0000,QUECTEL-L80,*11",
         true, "QUECTEL-L80", false, none, 0, -2},
        {"status, logging, mode in hex",
         "$PMTKLOG,32,1,a,31,15,0,0,0,8032,100*19",
         false,
         "",
         true,
         {true, true, 15, 8032, 100, 31},
         0,
         -2},
        {"status, stopped",
         "$PMTKLOG,1,1,b,127,60,0,0,1,1,0*26",
         false,
         "",
         true,
         {true, false, 60, 1, 0, 127},
         0,
         -2},
        {"status 2 counts as logging",
         "$PMTKLOG,456,0,11,31,2,0,0,2,3769,46*4A",
         false,
         "",
         true,
         {true, true, 2, 3769, 46, 31},
         0,
         -2},
        {"a short status line says nothing", "$PMTKLOG,FULL_STOP*3E", false, "", false, none, 0,
         -2},
        {"the erase confirmed", "$PMTK001,184,3*3D", false, "", false, none, 184, 3},
        {"the erase failed", "$PMTK001,184,2*3C", false, "", false, none, 184, 2},
        {"another command's acknowledgement", "$PMTK001,183,3*3A", false, "", false, none, 184, -2},
        {"the test packet", "$PMTK001,0,3*30", false, "", false, none, 0, 3},
        {"chatter", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", false, "",
         false, none, 0, -2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string model;
        EXPECT_EQ(readReleaseReply(row.text, model), row.release);
        EXPECT_EQ(model, row.model);
        LoggerStatus status;
        EXPECT_EQ(readLogStatus(row.text, status), row.status);
        EXPECT_EQ(status.known, row.expected.known);
        EXPECT_EQ(status.logging, row.expected.logging);
        EXPECT_EQ(status.intervalSeconds, row.expected.intervalSeconds);
        EXPECT_EQ(status.records, row.expected.records);
        EXPECT_EQ(status.percentUsed, row.expected.percentUsed);
        EXPECT_EQ(status.content, row.expected.content);
        int32_t flag = -2;
        EXPECT_EQ(readAcknowledgement(row.text, row.command, flag), row.flag != -2);
        if (row.flag != -2) {
            EXPECT_EQ(flag, row.flag);
        }
    }
}

} // namespace
