// Settings store on the platform's own file system and registry (the real ones under Wine in the
// Windows build): EnsureFolder's naming and bounds, the data file's replacement, ReadRegString.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/registry.h"
#include "setup/settings_store.h"

namespace fs = std::filesystem;

namespace {

std::string Unique()
{
    return std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
}

// A fresh folder below the temporary folder, removed after the test. P("a/b") is a path below it.
struct TempFolder {
    fs::path root = fs::temp_directory_path() / ("sl-settings-" + Unique());
    TempFolder() { fs::create_directories(root); }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    std::string P(const std::string& name) const { return (root / fs::path(name).make_preferred()).string(); }
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void MakeFile(const std::string& path)
{
    std::ofstream(path, std::ios::binary) << "in the way";
}

}  // namespace

TEST(EnsureFolder, AFileOnTheWayGivesTheFirstFreeNumberedSiblingWithinAHundredNames)
{
    TempFolder t;
    MakeFile(t.P("Maker"));
    char usable[600] = {};
    ASSERT_EQ(EnsureFolder(t.P("Maker/Model").c_str(), usable, sizeof usable), kFolderOk);
    EXPECT_EQ(std::string(usable), t.P("Maker_0/Model/"));
    MakeFile(t.P("Other"));
    for (int i = 0; i < kMaxNumberedNames; ++i) MakeFile(t.P("Other_" + std::to_string(i)));
    char untouched[600] = "untouched";
    EXPECT_EQ(EnsureFolder(t.P("Other/Model").c_str(), untouched, sizeof untouched), kFolderFailed);
    EXPECT_STREQ(untouched, "untouched");
    EXPECT_FALSE(fs::exists(t.P("Other_" + std::to_string(kMaxNumberedNames))));
}

TEST(EnsureFolder, EndsQuicklyOnANameTheFileSystemRejectsAndRefusesOverlongPaths)
{
    TempFolder t;
    // A name the file system rejects (too long, or on Windows with '|' and '?'): creation fails for
    // the name and for each numbered alternative.
#ifdef _WIN32
    const std::string bad = "bad|name?";
#else
    const std::string bad(300, 'x');
#endif
    char usable[600] = "untouched";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(EnsureFolder(t.P(bad + "/Scanner").c_str(), usable, sizeof usable), kFolderFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(EnsureFolder(t.P(std::string(kMaxFolderPath, 'p')).c_str(), usable, sizeof usable), kFolderFailed);
    EXPECT_STREQ(usable, "untouched");
    EXPECT_TRUE(fs::is_empty(t.root));
}

TEST(SaveTo, ADataFileThatCannotBeWrittenLeavesTheOldOneWholeAndTheRegistryIsStillWritten)
{
    TempFolder t;
    const std::string key = "Software\\ScanLink Unit Tests\\Save " + Unique();
    EXPECT_EQ(kSaveOk, SettingsStore::SaveTo(t.P("Scanner").c_str(), key.c_str(), "10.0.0.3", "", "", 0, 1));
    // The replacement is written under its own name first; with that name taken by a folder the
    // save cannot go on, and the data file must not have been rewritten in place: the save fails.
    fs::create_directory(t.P("Scanner/ScanLink.new"));
    EXPECT_EQ(kSaveFailed, SettingsStore::SaveTo(t.P("Scanner").c_str(), key.c_str(), "10.9.9.9", "", "", 0, 1));
    EXPECT_EQ(ReadAll(t.P("Scanner/ScanLink.dat")), "10.0.0.3\r\n\r\n0\r\n\r\n1\r\n");
    // A data folder that is a file stays as it is, and the save fails.
    MakeFile(t.P("AsFile"));
    EXPECT_EQ(kSaveFailed, SettingsStore::SaveTo(t.P("AsFile").c_str(), key.c_str(), "10.0.0.9", "", "", 0, 1));
    EXPECT_EQ(ReadAll(t.P("AsFile")), "in the way");
    EXPECT_EQ(SettingsStore::ReadRegString(key.c_str(), "IPAddress", "none"), "10.0.0.9");
    // Without a data folder (a variant that has none) only the values are written, and that is a success.
    EXPECT_EQ(kSaveOk, SettingsStore::SaveTo(nullptr, key.c_str(), "10.0.0.10", "", "", 0, 1));
}

TEST(RegistryStrings, ReadBackMissingEmptyAndOverlong)
{
    const std::string key = "Software\\ScanLink Unit Tests\\Strings " + Unique();
    const auto read = [&](const char* name) { return SettingsStore::ReadRegString(key.c_str(), name, "fallback"); };
    EXPECT_EQ(read("AdapName"), "fallback");  // no key
    SettingsStore::WriteRegString(key.c_str(), "AdapName", "eth0");
    SettingsStore::WriteRegString(key.c_str(), "Empty", "");
    SettingsStore::WriteRegString(key.c_str(), "Long1023", std::string(1023, 'l').c_str());
    SettingsStore::WriteRegString(key.c_str(), "Long1024", std::string(1024, 'l').c_str());
    EXPECT_EQ(read("AdapName"), "eth0");
    EXPECT_EQ(read("Other"), "fallback");  // no value
    EXPECT_EQ(read("Empty"), "");
    EXPECT_EQ(read("Long1023"), std::string(1023, 'l'));  // 1024 bytes with the NUL: an adapter's 259 fit
    EXPECT_EQ(read("Long1024"), "fallback");
}

// Values that another program stored with the wrong type or size: a number that is not 4 bytes is
// refused (the caller keeps its default), a text is read within its data and never past it.
// (Natively the registry stand-in of tests/doubles; under Wine the real registry.)
TEST(RegistryValues, WrongTypeOrSizeIsRefusedOrReadWithinItsData)
{
    const std::string key = "Software\\ScanLink Unit Tests\\Types " + Unique();
    const struct {
        const char* what;
        uint32_t type;
        std::string data;
        int dwordResult;   // ReadRegDword: 0 read, else refused
        int dword;         // the value read (7: left as it was)
        std::string text;  // ReadRegString
    } cases[] = {
        {"a 4-byte number", kRegTypeDword, std::string("\1\0\0\0", 4), 0, 1, "\1"},
        {"a number as text", kRegTypeSz, std::string("1\0", 2), 1, 7, "1"},
        {"2 bytes", kRegTypeDword, std::string("\1\0", 2), 1, 7, "\1"},
        {"8 bytes", 3, std::string("\1\0\0\0\0\0\0\0", 8), 1, 7, "\1"},
        {"no data", kRegTypeDword, "", 1, 7, ""},
        {"a number read as text (no NUL)", kRegTypeDword, "AAAA", 0, 0x41414141, "AAAA"},
        {"1100 bytes of binary", 3, std::string(1100, 'b'), 1, 7, "fallback"},
    };
    RegKeyHandle handle = nullptr;
    ASSERT_EQ(kRegOk, Registry::CreateUserKey(key.c_str(), "option", &handle));
    for (const auto& c : cases) {
        ASSERT_EQ(kRegOk, Registry::SetValue(handle, "V", c.type, c.data.data(), static_cast<uint32_t>(c.data.size())))
            << c.what;
        int value = 7;
        EXPECT_EQ(c.dwordResult == 0, SettingsStore::ReadRegDword(key.c_str(), "V", &value) == kRegOk) << c.what;
        EXPECT_EQ(c.dword, value) << c.what;
        EXPECT_EQ(c.text, SettingsStore::ReadRegString(key.c_str(), "V", "fallback")) << c.what;
    }
    Registry::CloseUserKey(handle);
}
