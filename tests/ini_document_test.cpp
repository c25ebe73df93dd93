#include "support/ini_document.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(IniDocument, DecodesValuesAsQtWritesAndReadsThem) {
    struct Case {
        const char* name;
        const char* raw;
        bool isText;
        const char* text;
    };
    const Case cases[] = {
        {"a plain value", "/home/me/Documents", true, "/home/me/Documents"},
        {"an empty value", "", true, ""},
        {"inner blanks stay", "a  b", true, "a  b"},
        {"quotes keep separators", "\"a;b,c=d\"", true, "a;b,c=d"},
        {"quotes keep outer blanks", "\" x \"", true, " x "},
        {"quotes may cover part of the value", "a\"b c\"d", true, "ab cd"},
        {"a comment ends the value", "abc ; note", true, "abc"},
        {"a comment after quotes", "\"q\" ; note", true, "q"},
        {"escapes", "\\\\ \\\" \\t \\n", true, "\\ \" \t \n"},
        {"a hex escape names one character", "\\x41\\xe9z", true, "A\xc3\xa9z"},
        {"an octal escape", "\\101", true, "A"},
        {"raw UTF-8 passes", "D\xc3\xb6k", true, "D\xc3\xb6k"},
        {"an unquoted comma makes a list", "a,b", false, ""},
        {"a typed value is no text", "@Variant(\\0\\0\\0\\x7f)", false, ""},
        {"a doubled @ stands for one", "@@home", true, "@home"},
        {"an @ text of no known type is a text", "@x(y)", true, "@x(y)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text;
        EXPECT_EQ(decodeIniText(c.raw, text), c.isText);
        if (c.isText) {
            EXPECT_EQ(text, c.text);
        }
    }
}

TEST(IniDocument, EncodesTextsSoTheyReadBackUnchanged) {
    struct Case {
        const char* name;
        std::string text;
        const char* raw;
    };
    const Case cases[] = {
        {"a plain path stays plain", "/home/me/GPS tracks", "/home/me/GPS tracks"},
        {"separators are quoted", "a;b,c=d", "\"a;b,c=d\""},
        {"outer blanks are quoted", " x ", "\" x \""},
        {"backslash and quote are escaped", "C:\\\"x\"", "C:\\\\\\\"x\\\""},
        {"control characters are escaped",
         "a\tb\x01"
         "c",
         "a\\tb\\x01\\x63"},
        {"every letter escape, both ways", "\a\b\f\n\r\t\v", "\\a\\b\\f\\n\\r\\t\\v"},
        {"UTF-8 is written as it is", "D\xc3\xb6k", "D\xc3\xb6k"},
        {"an embedded NUL survives",
         std::string("a\0"
                     "1",
                     3),
         "a\\x00\\x31"},
        {"a leading @ is doubled", "@home", "@@home"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string raw = encodeIniText(c.text);
        EXPECT_EQ(raw, c.raw);
        std::string back;
        EXPECT_TRUE(decodeIniText(raw, back));
        EXPECT_EQ(back, c.text);
    }
}

TEST(IniDocument, FindsAndSetsEntriesKeepingForeignLines) {
    struct Case {
        const char* name;
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"an empty file gains the section", "", "[General]\nPath=x\n"},
        {"the section goes first, apart from other sections", "[Other]\nPath=y\n",
         "[General]\nPath=x\n\n[Other]\nPath=y\n"},
        {"the last duplicate is replaced", "[General]\nPath=a\nPath=b\n",
         "[General]\nPath=a\nPath=x\n"},
        {"a new key joins the section before its blank lines",
         "[General]\nNmea=1\n\n[Other]\nk=v\n", "[General]\nNmea=1\nPath=x\n\n[Other]\nk=v\n"},
        {"comments and unknown lines stay", "; mine\n[General]\n  Path = old ; note\ngarbage\n",
         "; mine\n[General]\nPath=x\ngarbage\n"},
        {"keys are case-sensitive", "[General]\npath=a\n", "[General]\npath=a\nPath=x\n"},
        // QSettings reads keys before any section header as [General] ones.
        {"a key before any header is replaced there", "\nPath=a\n\n[Other]\nPath=y\n",
         "\nPath=x\n\n[Other]\nPath=y\n"},
        {"a new key joins the keys before any header", "Nmea=1\n[Other]\nk=v\n",
         "Nmea=1\nPath=x\n[Other]\nk=v\n"},
        {"the last of both [General] parts is replaced", "Path=a\n[General]\nPath=b\n",
         "Path=a\n[General]\nPath=x\n"},
        {"a comment alone makes no section", "; mine\n[Other]\nk=v\n",
         "[General]\nPath=x\n\n; mine\n[Other]\nk=v\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IniDocument document;
        document.parse(c.before);
        document.set("General", "Path", "x");
        EXPECT_EQ(document.text(), c.after);
        std::string raw;
        EXPECT_TRUE(document.find("General", "Path", raw));
        EXPECT_EQ(raw, "x");
    }
}

} // namespace
