// /credentials natively: the arguments and passphrase lines read from a real pipe on the standard
// input, and what is stored in the registry stand-in (protected keys only; the user's scope over
// the machine's; clear), with the data-protection stand-in.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "app/command_line_modes.h"
#include "doubles/registry_store.h"
#include "platform/diagnostics.h"
#include "setup/snmp_credentials.h"
#include "test_support.h"

namespace {

class CredentialsTest : public CleanState {
protected:
    void SetUp() override
    {
        CleanState::SetUp();
        PosixRegistry::SetStoreFile(folder_.Path() + "/registry");
    }
    void TearDown() override
    {
        PosixRegistry::SetStoreFile(
            (std::filesystem::temp_directory_path() / ("sl-registry-" + std::to_string(getpid()))).string());
        CleanState::TearDown();
    }
    // Runs the command line with input on the standard input (a pipe); *rest: what it left unread.
    int Run(const std::string& line, const std::string& input, bool administrator, std::string* rest = nullptr)
    {
        Platform::SetTestAdministrator(administrator ? 1 : 0);
        int pipeEnds[2];
        EXPECT_EQ(pipe(pipeEnds), 0);
        EXPECT_EQ(write(pipeEnds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
        close(pipeEnds[1]);
        const int saved = dup(STDIN_FILENO);
        dup2(pipeEnds[0], STDIN_FILENO);
        close(pipeEnds[0]);
        const int exit = RunCredentialsMode(ParseStartupRequest(line.c_str()));
        char left[256];
        const ssize_t got = read(STDIN_FILENO, left, sizeof left);
        if (rest != nullptr) rest->assign(left, got > 0 ? static_cast<size_t>(got) : 0);
        dup2(saved, STDIN_FILENO);
        close(saved);
        return exit;
    }
    static std::string Text(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string StoreText() const { return Text(folder_.Path() + "/registry"); }
    static std::string Hex(const void* data, size_t length)
    {
        std::string hex(2 * length + 1, '\0');
        for (size_t i = 0; i < length; ++i) std::snprintf(&hex[2 * i], 3, "%02x", static_cast<const uint8_t*>(data)[i]);
        return hex.substr(0, 2 * length);
    }
    // "USER AUTH PRIV KEYS" of credentials, and "SCOPE USER ..." of ReadCredentials (else "none").
    static std::string Describe(const UsmCredentials& c)
    {
        const size_t n = UsmKeyLength(c.auth);
        return std::string(c.userName) + " " + UsmAuthName(c.auth) + " " + UsmPrivName(c.priv) + " " +
               Hex(c.authKey, n) + (c.priv == UsmPriv::None ? "" : " " + Hex(c.privKey, n));
    }
    static std::string Read()
    {
        UsmCredentials c = {};
        CredentialsScope scope = CredentialsScope::User;
        if (ReadCredentials("R7240", c, &scope) != kCredentialsOk) return "none";
        return std::string(CredentialsScopeName(scope)) + " " + Describe(c);
    }
    ScopedProduct product_{"R7240"};
    TempFolder folder_;
};

TEST_F(CredentialsTest, ArgumentsAndPassphraseLines)
{
    const struct {
        const char *line, *input;
        int exit;
        const char* rest;  // what is left unread on the standard input
    } kCases[] = {
        {"/credentials user:scan auth:SHA-256 priv:AES", "authpass1\nprivpass1\nmore", 0, "more"},
        {"/credentials user:scan auth:SHA priv:AES", "authpass1\r\nprivpass1\r\n", 0, ""},
        {"/credentials user:scan auth:SHA priv:AES", "authpass1\nprivpass1", 0, ""},  // the input's end ends it
        {"/credentials user:scan auth:SHA priv:none", "authpass1\nprivpass1\n", 0, "privpass1\n"},
        {"/credentials priv:none auth:SHA user:\"scan user\" 7240MF", "authpass1\n", 0, ""},
        {"/credentials user:scan auth:SHA priv:AES", "short\nprivpass1\n", 3, "privpass1\n"},
        {"/credentials user:scan auth:SHA priv:AES", "authpass1\n1234567\n", 3, ""},
        {"/credentials user:scan auth:SHA priv:AES", "authpass1\n", 3, ""},  // the second line missing
        {"/credentials user:scan auth:SHA priv:none", "\n", 3, ""},
        {"/credentials user:scan auth:MD5 priv:AES", "authpass1\nprivpass1\n", 3, "authpass1\nprivpass1\n"},
        {"/credentials auth:SHA priv:AES", "authpass1\nprivpass1\n", 3, "authpass1\nprivpass1\n"},
        {"/credentials user: auth:SHA priv:AES", "authpass1\nprivpass1\n", 3, "authpass1\nprivpass1\n"},
        {"/credentials user:123456789012345678901234567890123 auth:SHA priv:none", "authpass1\n", 3, "authpass1\n"},
        {"/credentials clear user:scan", "", 3, ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.line) + " <<< " + c.input);
        std::string rest;
        EXPECT_EQ(Run(c.line, c.input, false, &rest), c.exit);
        EXPECT_EQ(rest, c.rest);
        UsmCredentials read, expected;  // expected: the keys of the passphrases without their line ends
        ASSERT_EQ(ReadCredentials("R7240", read), c.exit == 0 ? kCredentialsOk : kCredentialsNone);
        EXPECT_TRUE(c.exit != 0 || (UsmDeriveCredentials(read.userName, read.auth, read.priv, "authpass1", "privpass1",
                                                         expected) == UsmStatus::Ok &&
                                    Describe(read) == Describe(expected)));
        EXPECT_EQ(Run("/credentials clear", "", false), 0);
    }
    // A line of the longest length (its CR LF beyond it) is taken; one byte more is refused unread.
    std::string rest, longest(kMaxPassphraseLine, 'p');
    EXPECT_EQ(Run("/credentials user:u auth:SHA priv:none", longest + "\r\n", false), 0);
    EXPECT_EQ(Run("/credentials user:u auth:SHA priv:none", longest + "pq\nnext\n", false, &rest), 3);
    EXPECT_EQ(rest, "\nnext\n");
    EXPECT_EQ(Run("/credentials user:u auth:SHA priv:none", std::string("auth\0pass1\n", 11), false), 3);
    // A store that cannot be written: exit 4.
    PosixRegistry::SetStoreFile(folder_.Path() + "/no-folder/registry");
    EXPECT_EQ(Run("/credentials user:u auth:SHA priv:none", "authpass1\n", false), 4);
}

TEST_F(CredentialsTest, OnlyProtectedKeysAreStoredTheUsersWinAndClearRemovesThem)
{
    const std::string trace = folder_.Path() + "/trace.txt";
    ASSERT_TRUE(Diagnostics::OpenTrace(trace.c_str()));
    ASSERT_EQ(Run("/credentials user:admin auth:SHA priv:AES", "machine-auth-pass\nmachine-priv-pass\n", true), 0);
    ASSERT_EQ(Run("/credentials user:me auth:SHA-256 priv:none", "user-auth-pass\n", false), 0);
    Diagnostics::CloseTrace();
    UsmCredentials machine, user;
    ASSERT_EQ(UsmDeriveCredentials("admin", UsmAuth::Sha1, UsmPriv::Aes128, "machine-auth-pass", "machine-priv-pass",
                                   machine),
              UsmStatus::Ok);
    ASSERT_EQ(UsmDeriveCredentials("me", UsmAuth::Sha256, UsmPriv::None, "user-auth-pass", nullptr, user),
              UsmStatus::Ok);
    const std::string store = StoreText(), traced = Text(trace);
    for (const char* secret : {"machine-auth-pass", "machine-priv-pass", "user-auth-pass"}) {
        EXPECT_EQ(store.find(Hex(secret, std::strlen(secret))), std::string::npos) << secret;
        EXPECT_EQ(traced.find(secret), std::string::npos) << secret;
    }
    for (const auto& [key, length] : {std::pair{machine.authKey, 20}, {machine.privKey, 20}, {user.authKey, 32}}) {
        EXPECT_EQ(store.find(Hex(key, length)), std::string::npos);
        EXPECT_EQ(traced.find(Hex(key, length)), std::string::npos);
    }
    EXPECT_NE(traced.find("credentials action=store scope=machine result=ok"), std::string::npos) << traced;

    // Both scopes hold keys: the user's win; the user's cleared, the machine's are read; a user's
    // clear leaves them; an administrator's removes them.
    EXPECT_EQ(Read(), "user " + Describe(user));
    for (const bool administrator : {false, false, true}) {
        EXPECT_EQ(Run("/credentials clear", "", administrator), 0);
        EXPECT_EQ(Read(), administrator ? "none" : "machine " + Describe(machine));
    }
    EXPECT_EQ(StoreText().find(Hex("SnmpV3", 6)), std::string::npos);
}

TEST_F(CredentialsTest, KeysThatDoNotFitTheSettingsOrWereChangedAreRefused)
{
    ASSERT_EQ(Run("/credentials user:me auth:SHA priv:none", "user-auth-pass\n", false), 0);
    RegKeyHandle key = nullptr;
    ASSERT_EQ(Registry::OpenUserKey("Software\\ScanLink", &key), kRegOk);
    uint8_t blob[512];
    uint32_t size = sizeof blob, type = 0;
    UsmCredentials read;
    ASSERT_EQ(Registry::QueryValue(key, "SnmpV3Keys", &type, blob, &size) + type, kRegOk + kRegTypeBinary);
    ASSERT_EQ(Registry::SetValue(key, "SnmpV3Priv", kRegTypeSz, "AES", 4), kRegOk);  // privacy without a key
    EXPECT_EQ(ReadCredentials("R7240", read), kCredentialsMismatch);
    ASSERT_EQ(Registry::SetValue(key, "SnmpV3Priv", kRegTypeSz, "none", 5), kRegOk);
    RegKeyHandle policy = nullptr;  // policy sets another hash: the keys do not fit, /credentials refuses it
    ASSERT_EQ(Platform::CreateTestMachineKey("SOFTWARE\\Policies\\ScanLink", &policy), kRegOk);
    ASSERT_EQ(Registry::SetValue(policy, "SnmpV3Auth", kRegTypeSz, "SHA-256", 8), kRegOk);
    EXPECT_EQ(ReadCredentials("R7240", read), kCredentialsMismatch);
    EXPECT_EQ(Run("/credentials user:me auth:SHA priv:none", "user-auth-pass\n", false), 3);
    ASSERT_EQ(Registry::SetValue(policy, "SnmpV3Auth", kRegTypeSz, "SHA", 4), kRegOk);
    Registry::CloseUserKey(policy);
    EXPECT_EQ(ReadCredentials("R7240", read), kCredentialsOk);
    blob[size / 2] ^= 1;
    ASSERT_EQ(Registry::SetValue(key, "SnmpV3Keys", kRegTypeBinary, blob, size), kRegOk);
    EXPECT_EQ(ReadCredentials("R7240", read), kCredentialsDamaged);
    Registry::CloseUserKey(key);
}

}  // namespace
