// Settings store natively against the file-backed registry: the open-or-create procedure and the
// order of the six values, each written on its own handle, below a key of the class "option".
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "doubles/registry_store.h"
#include "setup/settings_store.h"

namespace {

// Every native test of this program uses a private registry file, never the user's own.
struct PrivateRegistry : ::testing::Environment {
    std::filesystem::path file = std::filesystem::temp_directory_path() / ("sl-registry-" + std::to_string(getpid()));
    void SetUp() override { PosixRegistry::SetStoreFile(file.string()); }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
};
const auto* const kPrivateRegistry = ::testing::AddGlobalTestEnvironment(new PrivateRegistry);

}  // namespace

TEST(SaveRegistry, CreatesTheKeyWithItsClassThenWritesEachValueOnItsOwnHandleInOrder)
{
    const std::string key = "Software\\VEL MORA\\Order " + std::to_string(getpid()) + "\\ScanLink";
    PosixRegistry::ClearJournal();
    SettingsStore::SaveTo(nullptr, key.c_str(), "192.168.1.20", "", "", 0, 1);
    std::vector<std::string> expected = {"open " + key + " missing", "create " + key + " option ok", "close"};
    for (std::string value :
         {"IPAddress 1", "MACAddr 1", "AdapName 1", "ProtocolType 4", "IPDirectInput 4", "IPDlgRet 4"})
        expected.insert(expected.end(), {"open " + key + " ok", "set " + value + " ok", "close"});
    EXPECT_EQ(PosixRegistry::Journal(), expected);

    // A second save finds the key and creates nothing.
    PosixRegistry::ClearJournal();
    SettingsStore::SaveTo(nullptr, key.c_str(), "10.0.0.1", "", "", 0, 1);
    expected.erase(expected.begin(), expected.begin() + 3);
    EXPECT_EQ(PosixRegistry::Journal(), expected);
}
