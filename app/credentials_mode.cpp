// /credentials: the passphrases read from the standard input, the keys derived and stored.
#include <cstring>

#include "app/command_line_modes.h"
#include "discovery/usm.h"
#include "platform/crypto.h"
#include "platform/diagnostics.h"
#include "platform/standard_input.h"
#include "platform/system.h"
#include "product/product.h"
#include "setup/snmp_credentials.h"

namespace {

// One passphrase line in a fixed buffer (no copy of it is ever left behind by a reallocation),
// wiped when the object ends.
struct SecretLine {
    char text[kMaxPassphraseLine + 2] = {};  // the line, a CR that may end it, and the NUL
    size_t length = 0;
    ~SecretLine() { CryptoWipe(text, sizeof text); }
};

// Why a passphrase line was refused ("" when it was not), as the trace names it.
const char* ReadPassphrase(SecretLine& line)
{
    for (;;) {
        char c = 0;
        size_t got = 0;
        const Platform::StdinStatus status = Platform::ReadStandardInput(&c, 1, &got);
        if (status == Platform::kStdinFailed) return "input-failed";
        if (status == Platform::kStdinEnd) {
            if (line.length == 0) return "passphrase-missing";
            break;
        }
        if (c == '\n') break;
        // Nothing beyond the longest line (and the CR that may end it) is kept or read.
        if (line.length == kMaxPassphraseLine + 1) return "passphrase-too-long";
        line.text[line.length++] = c;
    }
    if (line.length > 0 && line.text[line.length - 1] == '\r') line.text[--line.length] = '\0';
    if (line.length > kMaxPassphraseLine) return "passphrase-too-long";
    if (std::memchr(line.text, '\0', line.length) != nullptr) return "passphrase-invalid";
    if (line.length < kUsmMinPassphrase) return "passphrase-short";
    return "";
}

int Refused(const char* action, const char* reason)
{
    Diagnostics::Event("credentials", {{"action", action}, {"result", "refused"}, {"reason", reason}});
    return kExitBadCredentials;
}

}  // namespace

int RunCredentialsMode(const StartupRequest& request)
{
    const CredentialsScope scope = Platform::RunsAsAdministrator() ? CredentialsScope::Machine : CredentialsScope::User;
    if (request.credentialsClear) {
        if (request.credentialsUserGiven || request.credentialsAuthGiven || request.credentialsPrivGiven)
            return Refused("clear", "arguments");
        const CredentialsStatus cleared = ClearCredentials(scope, Products::Current().code);
        Diagnostics::Event("credentials", {{"action", "clear"},
                                           {"scope", CredentialsScopeName(scope)},
                                           {"result", cleared == kCredentialsFailed ? "failed" : "ok"}});
        return cleared == kCredentialsFailed ? kExitStoreFailed : 0;
    }

    UsmAuth auth = UsmAuth::Sha256;
    UsmPriv priv = UsmPriv::Aes128;
    const std::string& user = request.credentialsUser;
    if (!request.credentialsUserGiven || !request.credentialsAuthGiven || !request.credentialsPrivGiven ||
        user.empty() || user.size() > kUsmMaxUserName || !ParseUsmAuth(request.credentialsAuth.c_str(), &auth) ||
        !ParseUsmPriv(request.credentialsPriv.c_str(), &priv))
        return Refused("store", "arguments");

    // Values that policy sets win over the stored ones: keys made for others would never be used.
    const SettingsModel model = SettingsModel::ReadForCurrentProduct();
    for (const auto& [id, given] : {std::pair{SettingId::SnmpV3User, user.c_str()},
                                    {SettingId::SnmpV3Auth, UsmAuthName(auth)},
                                    {SettingId::SnmpV3Priv, UsmPrivName(priv)}})
        if (model.SetByPolicy(id) && model.Text(id) != given) return Refused("store", "policy");

    SecretLine authLine, privLine;
    if (const char* reason = ReadPassphrase(authLine); *reason != '\0') return Refused("store", reason);
    if (priv != UsmPriv::None)
        if (const char* reason = ReadPassphrase(privLine); *reason != '\0') return Refused("store", reason);

    UsmCredentials credentials = {};
    const UsmStatus derived = UsmDeriveCredentials(user.c_str(), auth, priv, authLine.text,
                                                   priv != UsmPriv::None ? privLine.text : nullptr, credentials);
    if (derived != UsmStatus::Ok) {
        CryptoWipe(&credentials, sizeof credentials);
        if (derived != UsmStatus::CryptoFailed) return Refused("store", "arguments");
        Diagnostics::Event("credentials", {{"action", "store"}, {"result", "failed"}, {"reason", "derivation"}});
        return kExitStoreFailed;
    }
    const CredentialsStatus stored = StoreCredentials(scope, credentials);
    CryptoWipe(&credentials, sizeof credentials);
    Diagnostics::Event("credentials", {{"action", "store"},
                                       {"scope", CredentialsScopeName(scope)},
                                       {"result", stored == kCredentialsOk ? "ok" : "failed"}});
    return stored == kCredentialsOk ? 0 : kExitStoreFailed;
}
