#include "settings/IniFile.h"

#include "codec/FileIO.h"
#include "settings/TextFile.h"
#include "support/TempDir.h"
#include "support/WriteFaults.h"

#include <cerrno>
#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace quillon {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

struct IntegerCase {
    const char* text;
    std::optional<std::int32_t> expected;
};

TEST(ParseIniInteger, FollowsTheIntegerRule) {
    const IntegerCase cases[] = {
        {"64", 64},
        {"  64", 64},
        {"\t64", 64},
        {"+64", 64},
        {"-64", -64},
        {"0", 0},
        {"0x64", 0x64},
        {"0X64", 0x64},
        {"$64", 0x64},
        {"x64", 0x64},
        {"X64", 0x64},
        {"$ff", 0xff},
        {"0xAbC", 0xabc},
        {"-$64", -0x64},
        {"+0x10", 16},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"$7FFFFFFF", INT_MAX},
        {"-$80000000", INT_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"$80000000", std::nullopt},
        {"$FFFFFFFF", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"64abc", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"00x64", std::nullopt},
        {"0x-5", std::nullopt},
        {"$64g", std::nullopt},
        {"64 ", std::nullopt},
        {"1e3", std::nullopt},
        {"--1", std::nullopt},
        {"12.5", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseIniInteger(c.text), c.expected) << '"' << c.text << '"';
    }
}

struct ReadCase {
    const char* name;
    const char* file;
    const char* section;
    const char* key;
    const char* expected;
};

TEST(IniFileRead, FindsValuesByTheFormatsRules) {
    const ReadCase cases[] = {
        {"plain", "[Configuration]\nMode=Single\n", "Configuration", "Mode", "Single"},
        {"section case", "[configuration]\nMode=Single\n", "CONFIGURATION", "Mode", "Single"},
        {"key case", "[Configuration]\nMODE=Single\n", "Configuration", "mode", "Single"},
        {"value keeps case", "[C]\nMode=single\n", "C", "Mode", "single"},
        {"missing key", "[Configuration]\nMode=Single\n", "Configuration", "Other", "dflt"},
        {"missing section", "[Size]\nMode=Single\n", "Configuration", "Mode", "dflt"},
        {"key before any section", "Mode=Single\n[Configuration]\n", "Configuration", "Mode",
         "dflt"},
        {"key of a later section", "[Configuration]\n[Size]\nMode=1\n", "Configuration", "Mode",
         "dflt"},
        {"empty value is a value", "[C]\nMode=\n", "C", "Mode", ""},
        {"blanks around", "  [ C ]  \n  Mode  =  Batch  \n", "C", "Mode", "Batch"},
        {"inner blanks kept", "[C]\nPrefix for compressed=a b\n", "C", "Prefix for compressed",
         "a b"},
        {"first duplicate key", "[C]\nK=one\nK=two\n", "C", "K", "one"},
        {"first duplicate section", "[C]\nK=one\n[C]\nK=two\n", "C", "K", "one"},
        {"key only in duplicate", "[C]\nA=1\n[D]\n[C]\nK=two\n", "C", "K", "dflt"},
        {"comment skipped", "[C]\n;K=commented\nK=real\n", "C", "K", "real"},
        {"line without equals", "[C]\nK\nK=real\n", "C", "K", "real"},
        {"equals in value", "[C]\nK=a=b\n", "C", "K", "a=b"},
        {"crlf lines", "[C]\r\nK=v\r\n", "C", "K", "v"},
        {"no final line break", "[C]\nK=v", "C", "K", "v"},
        {"empty key finds nothing", "[C]\n=v\n", "C", "", "dflt"},
        {"utf-8 value", "[MFile]\nFRA=Fichier à ouvrir\n", "MFile", "fra", "Fichier à ouvrir"},
        {"one pair of quotes stripped", "[C]\nK=\" a \"\n", "C", "K", " a "},
        {"only one pair", "[C]\nK=\"\"a\"\"\n", "C", "K", "\"a\""},
        {"a lone quote stays", "[C]\nK=\"a\n", "C", "K", "\"a"},
    };
    TempDir folder;
    for (const auto& c : cases) {
        const std::string path = folder.file("case.ini");
        WriteText(path, c.file);
        EXPECT_EQ(IniFile(path).readString(c.section, c.key, "dflt"), c.expected) << c.name;
    }
}

TEST(IniFileRead, MissingFileGivesDefaults) {
    TempDir folder;
    const IniFile ini(folder.file("absent.ini"));
    EXPECT_EQ(ini.readString("Configuration", "Mode", "fallback"), "fallback");
    EXPECT_EQ(ini.readInteger("Size", "Top", 100), 100);
    EXPECT_TRUE(ini.readBool("Form", "InitMax", true));
    EXPECT_FALSE(ini.readBool("Form", "InitMax", false));
}

TEST(IniFileRead, FolderInPlaceOfTheFileGivesDefaults) {
    TempDir folder;
    std::filesystem::create_directory(folder.file("config.ini"));
    EXPECT_EQ(IniFile(folder.file("config.ini")).readString("S", "K", "d"), "d");
}

TEST(IniFileRead, CutsLongValuesAt2047Characters) {
    TempDir folder;
    const std::string path = folder.file("long.ini");
    const std::string value(2048, 'a');
    WriteText(path, "[S]\nK=" + value + "x\nShort=" + std::string(2047, 'b') + "\n");
    const IniFile ini(path);
    EXPECT_EQ(ini.readString("S", "K", ""), std::string(2047, 'a'));
    EXPECT_EQ(ini.readString("S", "Short", ""), std::string(2047, 'b'));
}

TEST(IniFileRead, CutsByCharactersNotInsideOne) {
    TempDir folder;
    const std::string path = folder.file("long.ini");
    std::string value;
    for (int i = 0; i < 2050; ++i) {
        value += "é";
    }
    WriteText(path, "[S]\nK=" + value + "\n");
    std::string expected;
    for (int i = 0; i < 2047; ++i) {
        expected += "é";
    }
    EXPECT_EQ(IniFile(path).readString("S", "K", ""), expected);
}

struct IntegerReadCase {
    const char* value;
    std::int32_t expected;
};

TEST(IniFileRead, IntegersAndBooleans) {
    const IntegerReadCase integers[] = {
        {"0x20", 32}, {"$20", 32}, {"20", 20}, {" 20 ", 20}, {"20abc", 7}, {"abc", 7}, {"", 7},
    };
    TempDir folder;
    const std::string path = folder.file("n.ini");
    for (const auto& c : integers) {
        WriteText(path, std::string("[Size]\nTop=") + c.value + "\n");
        EXPECT_EQ(IniFile(path).readInteger("Size", "Top", 7), c.expected) << c.value;
    }
    struct BoolCase {
        const char* value;
        bool expected;
    };
    const BoolCase booleans[] = {
        {"1", true}, {"2", true}, {"-1", true}, {"$10", true}, {"0", false}, {"abc", false},
    };
    for (const auto& c : booleans) {
        WriteText(path, std::string("[Form]\nInitMax=") + c.value + "\n");
        EXPECT_EQ(IniFile(path).readBool("Form", "InitMax", false), c.expected) << c.value;
    }
    WriteText(path, "[Form]\nInitMax=letters\n");
    EXPECT_TRUE(IniFile(path).readBool("Form", "InitMax", true));
}

struct WriteCase {
    const char* name;
    const char* before; // nullptr: no file
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

TEST(IniFileWrite, ChangesOnlyTheKeysLine) {
    const WriteCase cases[] = {
        {"creates the file", nullptr, "Size", "Top", "5", "[Size]\nTop=5\n"},
        {"empty file", "", "Size", "Top", "5", "[Size]\nTop=5\n"},
        {"replaces in place", "; mine\n[Size]\nTop=1\nLeft=2\n\n[Other]\nX=y\n", "Size", "Top", "5",
         "; mine\n[Size]\nTop=5\nLeft=2\n\n[Other]\nX=y\n"},
        {"replaces ignoring case", "[size]\ntop=1\n", "Size", "Top", "5", "[size]\nTop=5\n"},
        {"adds after the section's last key", "[Size]\nTop=1\n\n[Other]\nX=y\n", "Size", "Left",
         "5", "[Size]\nTop=1\nLeft=5\n\n[Other]\nX=y\n"},
        {"adds to an empty section", "[Size]\n[Other]\nX=y\n", "Size", "Left", "5",
         "[Size]\nLeft=5\n[Other]\nX=y\n"},
        {"adds the section at the end", "[Other]\nX=y\n", "Size", "Top", "5",
         "[Other]\nX=y\n[Size]\nTop=5\n"},
        {"keeps unknown lines", "[Size]\ngarbage line\nTop=1\n", "Size", "Top", "2",
         "[Size]\ngarbage line\nTop=2\n"},
        {"empty value", "[C]\nOutputFolder=/tmp\n", "C", "OutputFolder", "",
         "[C]\nOutputFolder=\n"},
        {"keeps crlf", "[Size]\r\nTop=1\r\n", "Size", "Left", "5", "[Size]\r\nTop=1\r\nLeft=5\r\n"},
        {"first of duplicates", "[C]\nK=1\nK=2\n", "C", "K", "3", "[C]\nK=3\nK=2\n"},
        // Blanks at either end would be trimmed on reading: the value goes in quotes.
        {"leading blank", nullptr, "C", "OutputFolder", " archive",
         "[C]\nOutputFolder=\" archive\"\n"},
        {"trailing tab", nullptr, "C", "P", "x\t", "[C]\nP=\"x\t\"\n"},
        {"quoted value", nullptr, "C", "P", "\"q\"", "[C]\nP=\"\"q\"\"\n"},
        {"inner blanks bare", nullptr, "C", "P", "a b", "[C]\nP=a b\n"},
    };
    TempDir folder;
    for (const auto& c : cases) {
        const std::string path = folder.file("w.ini");
        std::filesystem::remove(path);
        if (c.before) {
            WriteText(path, c.before);
        }
        IniFile ini(path);
        ini.writeString(c.section, c.key, c.value);
        EXPECT_EQ(ReadText(path), c.after) << c.name;
        EXPECT_EQ(ini.readString(c.section, c.key, "dflt"), c.value) << c.name;
        EXPECT_EQ(IniFile(path).readString(c.section, c.key, "dflt"), c.value) << c.name;
    }
}

TEST(IniFileWrite, IntegersInDecimalAndBooleansAsDigits) {
    TempDir folder;
    const std::string path = folder.file("w.ini");
    IniFile ini(path);
    ini.writeInteger("Size", "Top", -0x20);
    ini.writeBool("Form", "InitMax", true);
    ini.writeBool("Form", "Other", false);
    EXPECT_EQ(ReadText(path), "[Size]\nTop=-32\n[Form]\nInitMax=1\nOther=0\n");
    const IniFile back(path);
    EXPECT_EQ(back.readInteger("Size", "Top", 0), -32);
    EXPECT_TRUE(back.readBool("Form", "InitMax", false));
    EXPECT_FALSE(back.readBool("Form", "Other", true));
}

class IniFileWriteFailure : public ::testing::Test {
protected:
    void TearDown() override { SetWriteFaultHook(nullptr); }
};

TEST_F(IniFileWriteFailure, EveryFailedStepKeepsTheOldFile) {
    TempDir folder;
    const std::string path = folder.file("config.ini");
    const std::string before = "[Size]\nTop=1\nLeft=2\n";
    for (const WriteStep step : {WriteStep::Create, WriteStep::Write, WriteStep::Flush,
                                 WriteStep::Close, WriteStep::Rename}) {
        WriteText(path, before);
        IniFile ini(path);
        SetWriteFaultHook([step](WriteStep at) { return at == step ? ENOSPC : 0; });
        try {
            ini.writeString("Size", "Top", "9");
            ADD_FAILURE() << "no error at step " << static_cast<int>(step);
        } catch (const EIniWriteError& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
        }
        SetWriteFaultHook(nullptr);
        EXPECT_EQ(ReadText(path), before);
        // The snapshot did not take the failed value either.
        EXPECT_EQ(ini.readString("Size", "Top", ""), "1");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1)
            << "a temporary file was left behind";
    }
}

TEST_F(IniFileWriteFailure, UnwritablePlaces) {
    TempDir folder;
    // A folder where the file should be, and a file in a folder that does not exist.
    std::filesystem::create_directory(folder.file("config.ini"));
    for (const std::string& path : {folder.file("config.ini"), folder.file("none/config.ini")}) {
        IniFile ini(path);
        EXPECT_THROW(ini.writeString("S", "K", "v"), EIniWriteError) << path;
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("config.ini")));
}

TEST_F(IniFileWriteFailure, TextsThatWouldBreakTheLinesAreRefused) {
    TempDir folder;
    const std::string path = folder.file("config.ini");
    const std::string before = "[Configuration]\nOutputFolder=/old\n";
    WriteText(path, before);
    IniFile ini(path);
    const std::string zero("a\0b", 3);
    EXPECT_THROW(ini.writeString("Configuration", "OutputFolder", "/a\n[Size]\nTop=5"),
                 EIniWriteError);
    EXPECT_THROW(ini.writeString("Configuration", "OutputFolder", "/a\rb"), EIniWriteError);
    EXPECT_THROW(ini.writeString("Configuration", "OutputFolder", zero), EIniWriteError);
    EXPECT_THROW(ini.writeString("Configuration", "Key=1", "v"), EIniWriteError);
    EXPECT_THROW(ini.writeString("Configuration", "  ", "v"), EIniWriteError);
    EXPECT_THROW(ini.writeString("Conf]iguration", "K", "v"), EIniWriteError);
    EXPECT_EQ(ReadText(path), before);
}

TEST_F(IniFileWriteFailure, AnUnreadableFileIsNotReplaced) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    TempDir folder;
    const std::string path = folder.file("config.ini");
    WriteText(path, "[Size]\nTop=1\n");
    std::filesystem::permissions(path, std::filesystem::perms::none);
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger("Size", "Top", 100), 100);
    EXPECT_THROW(ini.writeString("Size", "Left", "2"), EIniWriteError);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    EXPECT_EQ(ReadText(path), "[Size]\nTop=1\n");
}

} // namespace
} // namespace quillon
