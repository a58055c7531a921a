// The string file loader and the text lookup.
#include "product/string_table.h"

#include <string>

#include "test_support.h"

namespace {

class StringTableTest : public CleanState {
protected:
    TempFolder folder_;
};

// Each case loads one file and looks up one key: the load result, the lookup result, the text.
TEST_F(StringTableTest, LineRules)
{
    const std::string longest(1031, 'x');  // "STR_OK=" and this make the longest line, 1038 bytes
    const struct {
        const char* rule;
        std::string file;
        StringKey key;
        int load;
        int found;
        std::string text;
    } cases[] = {
        {"split at the first '='", "STR_OK=a=b\n", Key::STR_OK, 0, 1, "a=b"},
        {"spaces belong to the key", "STR_OK  = v\n", Key::STR_OK, 0, 0, "unchanged"},
        {"first of a duplicate key wins", "STR_OK=1\nSTR_OK=2\n", Key::STR_OK, 0, 1, "1"},
        {"\\n and \\t escapes", "STR_OK=a\\nb\\tc\\x\n", Key::STR_OK, 0, 1, "a\nb\tc\\x"},
        {"comment", ";STR_OK=1\nA=2\n", Key::STR_OK, 0, 0, "unchanged"},
        {"lines without alphanumerics are skipped", "\n  \n--==--\nSTR_OK=v\r\n", Key::STR_OK, 0, 1, "v"},
        {"'[' ends the entries", "A=1\n[S]\nSTR_OK=2\n", Key::STR_OK, 0, 0, "unchanged"},
        {"byte order mark ignored", "\xEF\xBB\xBFSTR_OK=v\n", Key::STR_OK, 0, 1, "v"},
        {"missing final line feed fails, earlier lines kept", "STR_OK=1\nB=2", Key::STR_OK, -2, 1, "1"},
        {"line without '=' fails", "A=1\nno equals\nSTR_OK=3\n", Key::STR_OK, -2, 0, "unchanged"},
        {"longest line", "STR_OK=" + longest + "\n", Key::STR_OK, 0, 1, longest},
        {"over-long line fails", "STR_OK=" + longest + "x\n", Key::STR_OK, -2, 0, "unchanged"},
        {"a NUL byte in an entry line is damage", std::string("STR_OK=a\0b\n", 11), Key::STR_OK, -2, 0, "unchanged"},
        {"... also in a comment", std::string(";\0\nSTR_OK=1\n", 12), Key::STR_OK, -2, 0, "unchanged"},
        {"UTF-16 (little-endian, with its mark)", std::string("\xFF\xFEK\0=\0v\0\n\0", 10), Key::STR_OK, -2, 0,
         "unchanged"},
        {"UTF-16 big-endian", std::string("\xFE\xFF\0K\0=\0v\0\n", 10), Key::STR_OK, -2, 0, "unchanged"},
        {"Ctrl+Z ends the file",
         "STR_OK=1\n\x1A"
         "B=2",
         Key::STR_OK, 0, 1, "1"},
    };
    for (const auto& c : cases) {
        StringTable::Clear();
        Platform::ClearRecordedMessageBoxes();
        EXPECT_EQ(c.load, StringTable::Load(folder_.Write("t.tbl", c.file).c_str())) << c.rule;
        char text[1040] = "unchanged";
        EXPECT_EQ(c.found, StringTable::Get(c.key, text, sizeof(text))) << c.rule;
        EXPECT_EQ(c.text, text) << c.rule;
        EXPECT_EQ(c.found == 1 ? "<no box>" : "Can not get StringTable.", LastBoxText()) << c.rule;
    }
}

TEST_F(StringTableTest, MissingFileNoKeyAndShortBuffer)
{
    EXPECT_EQ(-1, StringTable::Load((folder_.Path() + "/absent.tbl").c_str()));
    EXPECT_EQ("Can not find StringFile.", LastBoxText());
    ASSERT_EQ(0, StringTable::Load(folder_.Write("t.tbl", "STR_OK=abcdefghij\n").c_str()));
    char text[5] = "zzzz";
    EXPECT_EQ(0, StringTable::Get(Key::None, text, sizeof(text)));
    EXPECT_STREQ("", text);
    EXPECT_EQ(1, StringTable::Get(Key::STR_OK, text, sizeof(text)));
    EXPECT_STREQ("abcd", text);
    EXPECT_EQ(1u, BoxCount());
}

}  // namespace
