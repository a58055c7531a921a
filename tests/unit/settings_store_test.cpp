// Settings store on the platform's real file system: data file bytes, EnsureFolder naming and
// bounds, the write test, and registry strings (the real registry under Wine, the file store natively).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/scanlink_app.h"
#include "platform/files.h"
#include "platform/system.h"
#include "setup/settings_store.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder below the platform's temporary folder, removed after the test.
class TempFolder {
public:
    TempFolder()
    {
        static int counter = 0;
        path_ = fs::temp_directory_path() /
                ("sl-settings-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
                 std::to_string(++counter));
        fs::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    // The folder's path with a trailing separator, then name (separators given as '/').
    std::string operator/(const std::string& name) const
    {
        std::string text = path_.string();
        text.push_back(kPathSeparator);
        for (char c : name) text.push_back(c == '/' ? kPathSeparator : c);
        return text;
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void MakeFile(const std::string& path)
{
    std::ofstream(path, std::ios::binary) << "in the way";
}

size_t CountEntries(const fs::path& folder)
{
    size_t n = 0;
    for (auto it = fs::directory_iterator(folder); it != fs::directory_iterator(); ++it) ++n;
    return n;
}

}  // namespace

TEST(DataFile, FiveLinesInTheFileOrderWithCrLf)
{
    EXPECT_EQ(SettingsStore::FormatDataFile("192.168.1.20", "", "", 0, 1), "192.168.1.20\r\n\r\n0\r\n\r\n1\r\n");
    EXPECT_EQ(SettingsStore::FormatDataFile("fe80::1%12", "00:11:22:33:44:55", "eth0", 1, 0),
              "fe80::1%12\r\n00:11:22:33:44:55\r\n1\r\neth0\r\n0\r\n");
}

TEST(DataFile, OverlongFieldsAreCutToTheirWidths)
{
    const std::string text = SettingsStore::FormatDataFile(std::string(300, 'a').c_str(), std::string(300, 'm').c_str(),
                                                           std::string(400, 'n').c_str(), 1, 1);
    EXPECT_EQ(text, std::string(127, 'a') + "\r\n" + std::string(63, 'm') + "\r\n1\r\n" + std::string(259, 'n') +
                        "\r\n1\r\n");
}

TEST(SaveTo, WritesTheDataFileAndReplacesItCompletely)
{
    TempFolder temp;
    const std::string folder = temp / "Maker/Model/Scanner";
    SettingsStore::SaveTo(folder.c_str(), nullptr, "fe80::1%eth0", "00:11:22:33:44:55", "a long adapter name", 1, 0);
    EXPECT_EQ(ReadAll(temp / "Maker/Model/Scanner/ScanLink.dat"),
              "fe80::1%eth0\r\n00:11:22:33:44:55\r\n1\r\na long adapter name\r\n0\r\n");
    SettingsStore::SaveTo(folder.c_str(), nullptr, "10.0.0.9", "", "", 0, 1);
    EXPECT_EQ(ReadAll(temp / "Maker/Model/Scanner/ScanLink.dat"), "10.0.0.9\r\n\r\n0\r\n\r\n1\r\n");
    // Only the data file remains: no temporary file of the write test or of the replacement.
    EXPECT_EQ(CountEntries(temp.path() / "Maker" / "Model" / "Scanner"), 1u);
}

TEST(SaveTo, NoDataFileWhenTheDataFolderIsAFile)
{
    TempFolder temp;
    fs::create_directories(temp.path() / "Maker" / "Model");
    MakeFile(temp / "Maker/Model/Scanner");
    SettingsStore::SaveTo((temp / "Maker/Model/Scanner").c_str(), nullptr, "10.0.0.9", "", "", 0, 1);
    EXPECT_EQ(ReadAll(temp / "Maker/Model/Scanner"), "in the way");
    EXPECT_EQ(CountEntries(temp.path() / "Maker" / "Model"), 1u);
}

TEST(SaveTo, DataFilePathOverTheLimitIsSkipped)
{
    TempFolder temp;
    // Folder + separator + "ScanLink.dat" just over 259 characters: the folder is made, no file.
    std::string folder = temp / "";
    folder += std::string(kMaxDataFilePath - 12 - folder.size(), 'd');  // 260 with separator and name
    SettingsStore::SaveTo(folder.c_str(), nullptr, "10.0.0.9", "", "", 0, 1);
    ASSERT_EQ(Files::GetPathKind(folder.c_str()), kPathFolder);
    EXPECT_EQ(CountEntries(folder), 0u);
}

TEST(EnsureFolder, CreatesTheWholePathAndReturnsItWithASeparator)
{
    TempFolder temp;
    char usable[600] = {};
    ASSERT_EQ(EnsureFolder((temp / "a/b/c").c_str(), usable, sizeof usable), kFolderOk);
    EXPECT_EQ(std::string(usable), temp / "a/b/c/");
    EXPECT_TRUE(fs::is_directory(temp.path() / "a" / "b" / "c"));
    // An existing folder, given with its trailing separator, is used as it is.
    ASSERT_EQ(EnsureFolder((temp / "a/b/c/").c_str(), usable, sizeof usable), kFolderOk);
    EXPECT_EQ(std::string(usable), temp / "a/b/c/");
}

TEST(EnsureFolder, AnIntermediateFileIsReplacedByTheFirstFreeNumberedName)
{
    TempFolder temp;
    MakeFile(temp / "Maker");
    char usable[600] = {};
    ASSERT_EQ(EnsureFolder((temp / "Maker/Model/Scanner").c_str(), usable, sizeof usable), kFolderOk);
    EXPECT_EQ(std::string(usable), temp / "Maker_0/Model/Scanner/");
    // With Maker_0 a file too, Maker_1 is next.
    TempFolder second;
    MakeFile(second / "Maker");
    MakeFile(second / "Maker_0");
    ASSERT_EQ(EnsureFolder((second / "Maker/Model").c_str(), usable, sizeof usable), kFolderOk);
    EXPECT_EQ(std::string(usable), second / "Maker_1/Model/");
}

TEST(EnsureFolder, FailsForARequestedFolderThatIsAFileAndLeavesTheBufferAlone)
{
    TempFolder temp;
    MakeFile(temp / "Scanner");
    char usable[600] = "untouched";
    EXPECT_EQ(EnsureFolder((temp / "Scanner").c_str(), usable, sizeof usable), kFolderFailed);
    EXPECT_STREQ(usable, "untouched");
}

TEST(EnsureFolder, EndsWhenEveryNumberedNameIsTaken)
{
    TempFolder temp;
    MakeFile(temp / "Maker");
    for (int i = 0; i < kMaxNumberedNames; ++i) MakeFile(temp / ("Maker_" + std::to_string(i)));
    char usable[600] = "untouched";
    EXPECT_EQ(EnsureFolder((temp / "Maker/Model").c_str(), usable, sizeof usable), kFolderFailed);
    EXPECT_STREQ(usable, "untouched");
    EXPECT_FALSE(fs::exists(temp.path() / ("Maker_" + std::to_string(kMaxNumberedNames))));
}

TEST(EnsureFolder, EndsQuicklyForANameTheFileSystemRejects)
{
    TempFolder temp;
    // A name part longer than any file system allows (and, on Windows, with characters it rejects):
    // creation fails for the name and each numbered alternative, below a usable parent.
    std::string bad(300, 'x');
#ifdef _WIN32
    bad = "bad|name?" + bad;
#endif
    const auto start = std::chrono::steady_clock::now();
    char usable[600] = "untouched";
    EXPECT_EQ(EnsureFolder((temp / (bad + "/Scanner")).c_str(), usable, sizeof usable), kFolderFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_STREQ(usable, "untouched");
    EXPECT_EQ(CountEntries(temp.path()), 0u);
}

TEST(EnsureFolder, RefusesPathsOverTheLimitAndResultsThatDoNotFit)
{
    TempFolder temp;
    char usable[16] = "untouched";
    const std::string overlong = temp / std::string(kMaxFolderPath, 'p');
    EXPECT_EQ(EnsureFolder(overlong.c_str(), nullptr, 0), kFolderFailed);
    EXPECT_EQ(EnsureFolder(nullptr, usable, sizeof usable), kFolderFailed);
    // The folder is made but its name does not fit the 16-byte buffer: a failure, buffer untouched.
    EXPECT_EQ(EnsureFolder((temp / "fits").c_str(), usable, sizeof usable), kFolderFailed);
    EXPECT_STREQ(usable, "untouched");
    EXPECT_EQ(EnsureFolder((temp / "fits").c_str(), nullptr, 0), kFolderOk);
}

TEST(IsFolderWritable, TrueForAFolderFalseForAFileOrNothingAndNeverLeavesTheTestFile)
{
    TempFolder temp;
    EXPECT_TRUE(IsFolderWritable(temp.path().string().c_str()));
    EXPECT_TRUE(IsFolderWritable((temp / "").c_str()));
    EXPECT_EQ(CountEntries(temp.path()), 0u);
    MakeFile(temp / "file");
    EXPECT_FALSE(IsFolderWritable((temp / "file").c_str()));
    EXPECT_FALSE(IsFolderWritable((temp / "missing").c_str()));
    EXPECT_EQ(CountEntries(temp.path()), 1u);
}

TEST(RegistryStrings, ReadBackMissingEmptyAndOverlong)
{
    const std::string key = "Software\\ScanLink Unit Tests\\Strings " + std::to_string(
        std::chrono::steady_clock::now().time_since_epoch().count());
    EXPECT_EQ(SettingsStore::ReadRegString(key.c_str(), "AdapName", "fallback"), "fallback");  // no key
    SettingsStore::WriteRegString(key.c_str(), "AdapName", "eth0");
    EXPECT_EQ(SettingsStore::ReadRegString(key.c_str(), "AdapName", "fallback"), "eth0");
    EXPECT_EQ(SettingsStore::ReadRegString(key.c_str(), "Other", "fallback"), "fallback");    // no value
    SettingsStore::WriteRegString(key.c_str(), "Empty", "");
    EXPECT_EQ(SettingsStore::ReadRegString(key.c_str(), "Empty", "fallback"), "");
    SettingsStore::WriteRegString(key.c_str(), "Long255", std::string(255, 'l').c_str());     // 256 bytes with NUL
    EXPECT_EQ(SettingsStore::ReadRegString(key.c_str(), "Long255", "fallback"), std::string(255, 'l'));
    SettingsStore::WriteRegString(key.c_str(), "Long256", std::string(256, 'l').c_str());     // 257 bytes
    EXPECT_EQ(SettingsStore::ReadRegString(key.c_str(), "Long256", "fallback"), "fallback");
}

TEST(Save, WritesBelowTheVariantsDataFolderAndKey)
{
    TempFolder temp;
    Platform::SetTestShellFolder(Platform::kFolderCommonAppData, temp.path().string().c_str());
    const VariantId saved = TheApp().m_nVariant;
    TheApp().m_nVariant = 0;
    SettingsStore::Save("192.168.1.20", "", "", 0, 1);
    TheApp().m_nVariant = saved;
    Platform::ClearTestOverrides();
    EXPECT_EQ(ReadAll(temp / "VEL MORA/chromaline 7240MF/Scanner/ScanLink.dat"), "192.168.1.20\r\n\r\n0\r\n\r\n1\r\n");
    EXPECT_EQ(SettingsStore::ReadRegString("Software\\VEL MORA\\VEL MORA chromaline 7240MF Scanner\\ScanLink",
                                           "IPAddress", "none"),
              "192.168.1.20");
}
