// The shipped string files: every file loads, holds every key the program uses, and its names
// and titles fit the buffers they are shown from.
#include <cstring>
#include <fstream>
#include <set>
#include <string>

#include "app/scanlink_app.h"
#include "app/string_keys.h"
#include "app/variant_table.h"
#include "test_support.h"

namespace {

struct VariantFile {
    int variant;
    const char* code;
};
const VariantFile kFiles[] = {{0, "R7240"}, {1, "R7245"}, {2, "TST30"}, {3, "R5180"},
                              {6, "O724X"}, {7, "T210_"}, {8, "L835_"}, {10, "DX52F"}};

// Every language ships one file per product, with the same file names and the same keys.
const char* const kLanguages[] = {"en", "de", "ja"};

std::string StringsFolder(const char* language)
{
#ifdef _WIN32
    return std::string("Z:") + SCANLINK_SOURCE_DIR + "/strings/" + language + "/";
#else
    return std::string(SCANLINK_SOURCE_DIR) + "/strings/" + language + "/";
#endif
}

int CountFormats(const std::string& text)
{
    int count = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '%') {
            if (text[i + 1] == 's') ++count;
            else if (text[i + 1] != '%') return -1;  // no other format may appear
            ++i;
        }
    }
    return count;
}

// The keys of a string file, read as the loader splits its lines (comments and blank lines left out).
std::set<std::string> KeysOf(const std::string& path)
{
    std::set<std::string> keys;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (line.empty() || line[0] == ';' || eq == std::string::npos) continue;
        keys.insert(line.substr(0, eq));
    }
    return keys;
}

class StringFilesTest : public CleanState {};

TEST_F(StringFilesTest, TranslationsCarryExactlyTheEnglishKeys)
{
    for (const VariantFile& file : kFiles) {
        std::string name = std::string(file.code) + "STR.tbl";
        std::set<std::string> english = KeysOf(StringsFolder("en") + name);
        ASSERT_FALSE(english.empty()) << name;
        for (const char* language : kLanguages) EXPECT_EQ(english, KeysOf(StringsFolder(language) + name)) << language << "/" << name;
    }
}

TEST_F(StringFilesTest, EveryVariantFileHoldsEveryKeyAndFitsItsBuffers)
{
    for (const char* language : kLanguages)
    for (const VariantFile& file : kFiles) {
        SCOPED_TRACE(std::string(language) + "/" + file.code);
        StringTable::Clear();
        TheApp().m_nVariant = file.variant;
        char name[32] = {};
        VariantTable::Get(kStringFileName, name, sizeof(name));
        ASSERT_EQ(std::string(file.code) + "STR.tbl", name);
        ASSERT_EQ(0, StringTable::Load((StringsFolder(language) + name).c_str()));
        for (const char* key : kStringKeys) {
            char text[1040] = {};
            EXPECT_EQ(1, StringTable::Get(key, text, sizeof(text))) << key;
        }
        char text[1040] = {};
        StringTable::Get("STR_DEVICE_CONNECT", text, sizeof(text));
        EXPECT_EQ(1, CountFormats(text));
        StringTable::Get("STR_S_UTIL_APPNAME", text, sizeof(text));
        EXPECT_EQ(file.variant == 8 ? 1 : 0, CountFormats(text));
        for (const char* key : {"STR_RATIO_DLG_SEL_CONNECT", "STR_RATIO_DLG_SETIP"}) {
            StringTable::Get(key, text, sizeof(text));
            EXPECT_STREQ("1", text) << key;
        }
        for (const char* key : {"STR_S_DEVNAME_7240MF", "STR_S_DEVNAME_7245MF", "STR_S_DEVNAME_TS30",
                                "STR_S_DEVNAME_5180MF", "STR_S_DEVNAME_OC724X", "STR_S_DEVNAME_TX210n",
                                "STR_S_DEVNAME_L8350", "STR_S_MANUF_NAME_TARN", "STR_S_MANUF_NAME_CVL"}) {
            StringTable::Get(key, text, sizeof(text));
            EXPECT_LE(std::strlen(text), 31u) << key;
            EXPECT_GT(std::strlen(text), 0u) << key;
        }
        // The title is built from the file and must fit its 63 characters uncut.
        char title[1040] = {};
        VariantTable::Get(kAppTitle, title, sizeof(title));
        EXPECT_LE(std::strlen(title), 63u) << title;
        EXPECT_EQ(nullptr, std::strchr(title, '%')) << title;
        EXPECT_EQ(0u, BoxCount());
    }
}

}  // namespace
