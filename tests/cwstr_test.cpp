#include "support/cwstr.h"
#include "support/wide_text.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

std::u16string repeated(char16_t c, size_t count) {
    return std::u16string(count, c);
}

TEST(CWStr, BlockSizesGrowInStepsOf128Bytes) {
    struct Row {
        const char* name;
        int32_t length;
        int32_t bytes;
        int32_t capacity;
    };
    const Row rows[] = {
        {"empty text", 0, 128, 60},
        {"59 characters still fit the first block", 59, 128, 60},
        {"60 characters need a second step", 60, 256, 124},
        {"123 characters fill two steps", 123, 256, 124},
        {"124 characters need a third step", 124, 384, 188},
        {"187 characters fill three steps", 187, 384, 188},
        {"a full formatted text", 1023, 2176, 1084},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.bytes, CWStr::BlockBytesFor(row.length));
        CWStr value;
        value.Assign(repeated(u'x', static_cast<size_t>(row.length)).c_str());
        EXPECT_EQ(row.capacity, value.Capacity());
        EXPECT_EQ(row.length, value.Length());
        EXPECT_EQ(1, value.RefCount());
    }
}

TEST(CWStr, FreshValueSharesThePermanentEmptyText) {
    CWStr first;
    const int32_t countWithOne = first.RefCount();
    EXPECT_EQ(1, first.Capacity());
    EXPECT_TRUE(first.IsEmpty());
    // The permanent reference plus this value's own.
    EXPECT_GE(countWithOne, 2);
    {
        CWStr second;
        EXPECT_EQ(first.c_str(), second.c_str());
        EXPECT_EQ(countWithOne + 1, first.RefCount());
    }
    EXPECT_EQ(countWithOne, first.RefCount());
}

TEST(CWStr, ReserveAllocatesOnlyWhenSharedOrTooSmall) {
    struct Row {
        const char* name;
        int32_t length;
        bool keep;
        bool shared;
        bool expectNewBlock;
        int32_t expectCapacity;
        const char16_t* expectText;
    };
    const Row rows[] = {
        {"private block with room stays", 59, true, false, false, 60, u"abc"},
        {"private block one short grows", 60, true, false, true, 124, u"abc"},
        {"shared block with room is copied one step larger", 3, true, true, true, 124, u"abc"},
        {"shared block without keep gets a fitting block", 3, false, true, true, 60, u""},
        {"private block without keep keeps its storage", 10, false, false, false, 60, u"abc"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CWStr value(u"abc");
        CWStr other;
        if (row.shared)
            other = value;
        const char16_t* before = value.c_str();
        value.Reserve(row.length, row.keep);
        EXPECT_EQ(row.expectNewBlock, value.c_str() != before);
        EXPECT_EQ(row.expectCapacity, value.Capacity());
        EXPECT_EQ(1, value.RefCount());
        if (row.keep || !row.expectNewBlock) {
            EXPECT_EQ(narrowText(row.expectText), narrowText(value.c_str()));
        }
        if (row.shared) {
            EXPECT_EQ("abc", narrowText(other.c_str()));
            EXPECT_EQ(1, other.RefCount());
        }
    }
}

TEST(CWStr, AppendToACopyLeavesTheOriginal) {
    CWStr original(u"COM3");
    CWStr copy = original;
    EXPECT_EQ(2, original.RefCount());
    CWStr result = copy.Append(u" - USB");
    EXPECT_EQ("COM3", narrowText(original.c_str()));
    EXPECT_EQ(1, original.RefCount());
    EXPECT_EQ("COM3 - USB", narrowText(copy.c_str()));
    // The result shares the appended value's block.
    EXPECT_EQ(copy.c_str(), result.c_str());
    EXPECT_EQ(2, copy.RefCount());
}

TEST(CWStr, AppendGrowsAcrossBlockSteps) {
    CWStr value;
    for (int i = 0; i < 20; ++i)
        value.Append(u"0123456789");
    EXPECT_EQ(200, value.Length());
    std::string expected;
    for (int i = 0; i < 20; ++i)
        expected += "0123456789";
    EXPECT_EQ(expected, narrowText(value.c_str()));
    EXPECT_GE(value.Capacity(), 201);
}

// Text from the value's own block, which the append may free or overwrite.
TEST(CWStr, AppendTakesTextFromItsOwnStorage) {
    struct Row {
        const char* name;
        size_t length;
        int32_t offset; // where in the value's own text the appended text starts
        size_t expectLength;
    };
    const Row rows[] = {
        {"itself, within the block", 20, 0, 40},
        {"itself, past the block", 40, 0, 80},
        {"its own tail, past the block", 50, 20, 80},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CWStr value(repeated(u'x', row.length).c_str());
        value.Append(value.c_str() + row.offset);
        EXPECT_EQ(std::string(row.expectLength, 'x'), narrowText(value.c_str()));
    }
}

TEST(CWStr, AssigningEmptyToASharedValueAllocatesItsOwnBlock) {
    CWStr original(u"C:\\track.kml");
    CWStr shared = original;
    shared.Assign(u"");
    EXPECT_TRUE(shared.IsEmpty());
    EXPECT_EQ(60, shared.Capacity()); // a 128-byte block
    EXPECT_EQ(1, shared.RefCount());
    EXPECT_NE(original.c_str(), shared.c_str());
    EXPECT_EQ("C:\\track.kml", narrowText(original.c_str()));
    EXPECT_EQ(1, original.RefCount());
}

TEST(CWStr, AssignCopyAndSelfAssignmentShareStorage) {
    CWStr a(u"abc");
    CWStr b;
    b = a;
    EXPECT_EQ(a.c_str(), b.c_str());
    EXPECT_EQ(2, a.RefCount());
    b = static_cast<const CWStr&>(b);
    EXPECT_EQ(2, a.RefCount());
    a.Assign(a.c_str() + 1); // a shared value assigned from its own text
    EXPECT_EQ("bc", narrowText(a.c_str()));
    EXPECT_EQ("abc", narrowText(b.c_str()));
}

TEST(CWStr, FormatCutsAt1023Characters) {
    struct Row {
        const char* name;
        const char16_t* format;
        size_t argumentLength;
        int32_t expectReturn;
        int32_t expectLength;
    };
    const Row rows[] = {
        {"short text", u"%s", 10, 10, 10},
        {"exactly 1023 characters are kept whole", u"%s", 1023, 1023, 1023},
        {"1024 characters are cut", u"%s", 1024, 1023, 1023},
        {"1500 characters are cut to 1023", u"%s", 1500, 1023, 1023},
        {"a bad format returns the length of what it produced", u"%s%q", 10, 10, 10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::u16string argument = repeated(u'a', row.argumentLength - 1) + u"z";
        CWStr value;
        EXPECT_EQ(row.expectReturn, value.Format(row.format, argument.c_str()));
        EXPECT_EQ(row.expectLength, value.Length());
        EXPECT_EQ(narrowText(argument.substr(0, static_cast<size_t>(row.expectLength))),
                  narrowText(value.c_str()));
    }
}

TEST(CWStr, FormatsOfTheProgram) {
    struct Row {
        const char* name;
        CWStr value;
        std::string expected;
    };
    auto format = [](auto... args) {
        CWStr value;
        value.Format(args...);
        return value;
    };
    const Row rows[] = {
        {"version suffix", format(u" - v%i.%i.%i.%i", 1, 0, 12, 345), " - v1.0.12.345"},
        {"port item pads a one-digit number", format(u"COM%-3d - %s", 4, u"Bluetooth"),
         "COM4   - Bluetooth"},
        {"port item with three digits", format(u"COM%-3d - %s", 256, u"USB"), "COM256 - USB"},
        {"port item wider than its width", format(u"COM%-3d - %s", 1234, u""), "COM1234 - "},
        {"window caption", format(u"GPS-Track %s", u"1.0"), "GPS-Track 1.0"},
        {"device path", format(u"\\\\.\\COM%i", 12), "\\\\.\\COM12"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, narrowText(row.value.c_str()));
    }
}

// Both threads construct and drop values of the shared empty text; its count
// must come back exactly and never let the block go.
TEST(CWStr, BothThreadsShareTheEmptyTextSafely) {
    const int32_t countBefore = CWStr().RefCount();
    auto churn = [] {
        for (int i = 0; i < 20000; ++i) {
            CWStr empty;
            CWStr copy = empty;
            CWStr other;
            other = copy;
            if (i % 1000 == 0)
                other.Format(u"COM%i", i);
        }
    };
    std::thread worker(churn);
    churn();
    worker.join();
    CWStr after;
    EXPECT_EQ(countBefore, after.RefCount());
    EXPECT_EQ(1, after.Capacity());
    EXPECT_TRUE(after.IsEmpty());
}

} // namespace
