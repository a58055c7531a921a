// The string file loader and the text lookup.
#include "app/string_table.h"

#include <string>

#include "test_support.h"

namespace {

class StringTableTest : public CleanState {
protected:
    int LoadText(const std::string& bytes) { return StringTable::Load(folder_.Write("t.tbl", bytes).c_str()); }
    std::string Lookup(const char* key, int* result = nullptr)
    {
        char text[1040] = "unchanged";
        int r = StringTable::Get(key, text, sizeof(text));
        if (result != nullptr) *result = r;
        return text;
    }
    TempFolder folder_;
};

TEST_F(StringTableTest, EntryLinesSplitAtFirstEqualsKeepingSpaces)
{
    ASSERT_EQ(0, LoadText("KEY=\nA=B=C\nSP = Text\nDUP=first\nDUP=second\nESC=One\\nTwo\\tThree\\x\n"));
    int result = -9;
    EXPECT_EQ("", Lookup("KEY", &result));
    EXPECT_EQ(1, result);
    EXPECT_EQ("B=C", Lookup("A"));
    EXPECT_EQ(" Text", Lookup("SP "));
    EXPECT_EQ("first", Lookup("DUP"));
    EXPECT_EQ("One\nTwo\tThree\\x", Lookup("ESC"));
    EXPECT_EQ(0u, BoxCount());
    // "SP" without its trailing space misses, and so does a lookup in another case.
    EXPECT_EQ("unchanged", Lookup("SP", &result));
    EXPECT_EQ(0, result);
    EXPECT_EQ("unchanged", Lookup("key", &result));
    EXPECT_EQ(0, result);
    EXPECT_EQ(2u, BoxCount());
    EXPECT_EQ("Can not get StringTable.", LastBoxText());
    EXPECT_TRUE(Platform::RecordedMessageBoxes().back().framework);
}

TEST_F(StringTableTest, CommentsBlankLinesAndSectionEnd)
{
    ASSERT_EQ(0, LoadText(";c=1\n\n  \n;\n--==--\n ;note=x\nA=1\r\n[Other]\nB=2\n"));
    EXPECT_EQ("x", Lookup(" ;note"));
    EXPECT_EQ("1", Lookup("A"));  // CR LF ends a line like LF
    int result = -9;
    Lookup("B", &result);
    EXPECT_EQ(0, result);
    Lookup(";c", &result);
    EXPECT_EQ(0, result);
}

TEST_F(StringTableTest, EmptyFileLoadsAndEveryLookupFails)
{
    ASSERT_EQ(0, LoadText(""));
    int result = -9;
    EXPECT_EQ("unchanged", Lookup("STR_OK", &result));
    EXPECT_EQ(0, result);
    EXPECT_EQ(1u, BoxCount());
}

TEST_F(StringTableTest, NullKeyEmptiesTextWithoutMessage)
{
    int result = -9;
    EXPECT_EQ("", Lookup(nullptr, &result));
    EXPECT_EQ(0, result);
    EXPECT_EQ(0u, BoxCount());
}

TEST_F(StringTableTest, FailingLinesStopTheLoadKeepingEarlierEntries)
{
    EXPECT_EQ(-1, LoadText("A=1\nB=2"));  // last line without a line end
    EXPECT_EQ("1", Lookup("A"));
    StringTable::Clear();
    EXPECT_EQ(-1, LoadText("A=1\nno equals here\nC=3\n"));
    EXPECT_EQ("1", Lookup("A"));
    int result = -9;
    Lookup("C", &result);
    EXPECT_EQ(0, result);
    StringTable::Clear();
    EXPECT_EQ(0, LoadText("A=1\n   "));  // a last line of spaces is skipped
    EXPECT_EQ(0, LoadText("A=1\n\x1A" "B=2"));  // Ctrl+Z ends the file
    EXPECT_EQ(1u, BoxCount());  // the lookup of C only
}

TEST_F(StringTableTest, LineLengthLimit)
{
    std::string fits = "K=" + std::string(1036, 'x') + "\n";  // 1038 bytes before the line feed
    ASSERT_EQ(0, LoadText(fits));
    EXPECT_EQ(1036u, Lookup("K").size());
    StringTable::Clear();
    std::string tooLong = "K=" + std::string(1037, 'x') + "\n";  // 1039 bytes
    EXPECT_EQ(-1, LoadText(tooLong));
    StringTable::Clear();
    EXPECT_EQ(-1, LoadText(std::string(100000, 'y') + "=z\n"));
}

TEST_F(StringTableTest, ByteOrderMarkIsIgnored)
{
    ASSERT_EQ(0, LoadText("\xEF\xBB\xBFSTR_OK=OK\nSTR_X=\xEF\xBB\xBFkept\n"));
    EXPECT_EQ("OK", Lookup("STR_OK"));
    EXPECT_EQ(0u, BoxCount());
}

TEST_F(StringTableTest, MissingFileShowsItsMessage)
{
    EXPECT_EQ(-1, StringTable::Load((folder_.Path() + "/absent.tbl").c_str()));
    EXPECT_EQ("Can not find StringFile.", LastBoxText());
    EXPECT_EQ(-1, StringTable::Load(nullptr));
}

TEST_F(StringTableTest, LookupIsCutToTheCallersBuffer)
{
    ASSERT_EQ(0, LoadText("LONG=abcdefghij\n"));
    char text[5] = "zzzz";
    EXPECT_EQ(1, StringTable::Get("LONG", text, sizeof(text)));
    EXPECT_STREQ("abcd", text);
}

}  // namespace
