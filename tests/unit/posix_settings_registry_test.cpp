// Settings store natively against the file-backed registry: the open-or-create procedure, the
// order, types and data of the six values, the key's class, and refused registry changes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "platform/posix/registry_store.h"
#include "platform/registry.h"
#include "setup/settings_store.h"

namespace fs = std::filesystem;

namespace {

// Every native test of this program uses a private registry file, never the user's own.
class PrivateRegistry : public ::testing::Environment {
public:
    void SetUp() override
    {
        file_ = fs::temp_directory_path() / ("sl-registry-" + std::to_string(getpid()));
        PosixRegistry::SetStoreFile(file_.string());
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove(file_, ignored);
    }

private:
    fs::path file_;
};
const auto* const kPrivateRegistry = ::testing::AddGlobalTestEnvironment(new PrivateRegistry);

std::string UniqueKey(const char* name)
{
    static int counter = 0;
    return std::string("Software\\VEL MORA\\") + name + " " + std::to_string(++counter) + "\\ScanLink";
}

struct StoredValue {
    int result = kRegFailed;
    uint32_t type = kRegTypeNone;
    std::string data;
};

StoredValue Query(const std::string& key, const char* name)
{
    StoredValue value;
    RegKeyHandle handle = nullptr;
    if (Registry::OpenUserKey(key.c_str(), &handle) != kRegOk) return value;
    char buffer[1024] = {};
    uint32_t size = sizeof buffer;
    value.result = Registry::QueryValue(handle, name, &value.type, buffer, &size);
    if (value.result == kRegOk) value.data.assign(buffer, size);
    Registry::CloseUserKey(handle);
    return value;
}

std::string Dword(int32_t v)
{
    return std::string(reinterpret_cast<const char*>(&v), sizeof v);
}

class TempDir {
public:
    TempDir() : path_(fs::temp_directory_path() / ("sl-save-" + std::to_string(getpid()) + "-" + std::to_string(++n_)))
    {
        fs::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string Sub(const std::string& name) const { return (path_ / name).string(); }

private:
    static inline int n_ = 0;
    fs::path path_;
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST(SaveRegistry, CreatesTheKeyWithItsClassThenWritesEachValueOnItsOwnHandleInOrder)
{
    const std::string key = UniqueKey("Order");
    PosixRegistry::ClearJournal();
    SettingsStore::SaveTo(nullptr, key.c_str(), "192.168.1.20", "", "", 0, 1);
    std::vector<std::string> expected = {"open " + key + " missing", "create " + key + " option ok", "close"};
    const std::vector<std::pair<std::string, int>> values = {{"IPAddress", 1},    {"MACAddr", 1},
                                                             {"AdapName", 1},     {"ProtocolType", 4},
                                                             {"IPDirectInput", 4}, {"IPDlgRet", 4}};
    for (const auto& [name, type] : values) {
        expected.push_back("open " + key + " ok");
        expected.push_back("set " + name + " " + std::to_string(type) + " ok");
        expected.push_back("close");
    }
    EXPECT_EQ(PosixRegistry::Journal(), expected);

    RegKeyHandle handle = nullptr;
    ASSERT_EQ(Registry::OpenUserKey(key.c_str(), &handle), kRegOk);
    char keyClass[32] = {};
    EXPECT_EQ(Registry::QueryKeyClass(handle, keyClass, sizeof keyClass), kRegOk);
    EXPECT_STREQ(keyClass, "option");
    Registry::CloseUserKey(handle);
}

TEST(SaveRegistry, TypesAndDataOfTheSixValuesAndASecondSaveReplacesThemAll)
{
    const std::string key = UniqueKey("Values");
    SettingsStore::SaveTo(nullptr, key.c_str(), "192.168.1.20", "", "", 0, 1);
    EXPECT_EQ(Query(key, "IPAddress").data, std::string("192.168.1.20", 13));  // with its NUL
    EXPECT_EQ(Query(key, "IPAddress").type, kRegTypeSz);
    EXPECT_EQ(Query(key, "MACAddr").data, std::string(1, '\0'));
    EXPECT_EQ(Query(key, "AdapName").data, std::string(1, '\0'));
    EXPECT_EQ(Query(key, "ProtocolType").type, kRegTypeDword);
    EXPECT_EQ(Query(key, "ProtocolType").data, Dword(0));
    EXPECT_EQ(Query(key, "IPDirectInput").data, Dword(1));
    EXPECT_EQ(Query(key, "IPDlgRet").data, Dword(1));

    PosixRegistry::ClearJournal();
    SettingsStore::SaveTo(nullptr, key.c_str(), "fe80::1%3", "00:11:22:33:44:55", "eth1", 1, 0);
    for (const std::string& line : PosixRegistry::Journal()) EXPECT_EQ(line.rfind("create", 0), std::string::npos) << line;
    EXPECT_EQ(Query(key, "IPAddress").data, std::string("fe80::1%3", 10));
    EXPECT_EQ(Query(key, "MACAddr").data, std::string("00:11:22:33:44:55", 18));
    EXPECT_EQ(Query(key, "AdapName").data, std::string("eth1", 5));
    EXPECT_EQ(Query(key, "ProtocolType").data, Dword(1));
    EXPECT_EQ(Query(key, "IPDirectInput").data, Dword(0));
    EXPECT_EQ(Query(key, "IPDlgRet").data, Dword(1));
}

TEST(SaveRegistry, RefusedRegistryChangesSkipOnlyTheirOwnStep)
{
    TempDir dir;
    const std::string key = UniqueKey("Refused");
    PosixRegistry::SetChangesRefused(true);
    SettingsStore::SaveTo(dir.Sub("Scanner").c_str(), key.c_str(), "10.1.2.3", "", "", 0, 1);
    PosixRegistry::SetChangesRefused(false);
    EXPECT_EQ(ReadAll(dir.Sub("Scanner/ScanLink.dat")), "10.1.2.3\r\n\r\n0\r\n\r\n1\r\n");
    RegKeyHandle handle = nullptr;
    EXPECT_EQ(Registry::OpenUserKey(key.c_str(), &handle), kRegMissing);
}

TEST(SaveRegistry, ADataFolderThatIsAFileStillGetsTheRegistryValues)
{
    TempDir dir;
    std::ofstream(dir.Sub("Scanner")) << "file";
    const std::string key = UniqueKey("FolderIsFile");
    SettingsStore::SaveTo(dir.Sub("Scanner").c_str(), key.c_str(), "10.1.2.3", "", "", 0, 1);
    EXPECT_EQ(ReadAll(dir.Sub("Scanner")), "file");
    EXPECT_EQ(Query(key, "IPAddress").data, std::string("10.1.2.3", 9));
    EXPECT_EQ(Query(key, "IPDlgRet").data, Dword(1));
}

TEST(SaveRegistry, DataFileIsSharedForReadingAndWriting)
{
    TempDir dir;
    SettingsStore::SaveTo(dir.Sub("Scanner").c_str(), nullptr, "10.1.2.3", "", "", 0, 1);
    const auto permissions = fs::status(dir.Sub("Scanner/ScanLink.dat")).permissions();
    EXPECT_EQ(permissions & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                                fs::perms::group_write | fs::perms::others_read |
                                                fs::perms::others_write);
}

TEST(FileStore, KeysAndValueNamesIgnoreLetterCaseAndSurviveInTheFile)
{
    const std::string key = UniqueKey("Case");
    SettingsStore::WriteRegString(key.c_str(), "AdapName", "eth0");
    std::string upper = key;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(SettingsStore::ReadRegString(upper.c_str(), "ADAPNAME", "x"), "eth0");
    RegKeyHandle handle = nullptr;
    EXPECT_EQ(Registry::OpenUserKey("Software\\\\Bad", &handle), kRegFailed);
    EXPECT_EQ(Registry::CreateUserKey("\\Bad", "option", &handle), kRegFailed);
}
