// SNMPv3 credentials: which SNMP versions a search and a check use, and the user's keys that
// /credentials stores.
#pragma once

#include "discovery/request_security.h"
#include "discovery/usm.h"
#include "setup/settings_model.h"

// The setting SnmpVersion: SnmpVersions and its texts are discovery/request_security.h's.

// The versions to use: the setting when a level sets it; its built-in default ("v1") reads as
// "v1+v3" when credentials are stored.
SnmpVersions EffectiveSnmpVersions(const SettingsModel& model, bool credentialsStored);

// The stored SNMPv3 keys. /credentials derives the keys from the passphrases (discovery/usm.h) and
// stores only the keys, protected with the operating system's data protection
// (platform/data_protection.h), as the binary value SnmpV3Keys beside the settings values
// SnmpV3User, SnmpV3Auth and SnmpV3Priv:
//   machine scope  HKLM\SOFTWARE\ScanLink (the machine defaults' key), for every user of the PC,
//                  written when an administrator runs /credentials;
//   user scope     HKCU\Software\ScanLink (the user settings' key), for this user alone.
// The protected data holds the layout's version, the protocols the keys were made with and the
// keys; never a passphrase, and nothing of it is ever written as text or traced.
//
// Reading follows the settings model's rule of product subkeys (the product's subkey before the
// key itself), and the user's keys win over the machine's for that user. The user name and the
// protocols are the settings model's (so policy can set them); the keys must fit them.

// Where the keys are stored.
enum class CredentialsScope : int { User, Machine };

// Results of the functions below.
enum CredentialsStatus : int {
    kCredentialsOk = 0,
    kCredentialsNone = 1,      // Read: no keys stored in either scope. Clear: none were stored.
    kCredentialsFailed = 2,    // Store, Clear: the key could not be created or a value not written or
                               // removed (an administrator's rights missing for the machine scope);
                               // Store: the data protection failed
    kCredentialsDamaged = 3,   // Read: the stored keys cannot be unprotected (changed, or another
                               // user's or PC's) or their layout is not one this program writes
    kCredentialsMismatch = 4,  // Read: the keys do not fit the settings: another authentication
                               // protocol, privacy without a privacy key, or no valid user name
};

// The name of the scope as the trace writes it: "user", "machine".
const char* CredentialsScopeName(CredentialsScope scope);

// Stores the credentials' keys (and their user name and protocols as the settings values) in the
// scope's key itself (every product), replacing what was there.
CredentialsStatus StoreCredentials(CredentialsScope scope, const UsmCredentials& credentials,
                                   const SettingsKeys& keys = kSettingsKeys);

// Removes the keys and the three settings values from the scope's key and from the product's
// subkey of it. kCredentialsNone when neither held keys (nothing else is then removed either).
CredentialsStatus ClearCredentials(CredentialsScope scope, const char* productCode,
                                   const SettingsKeys& keys = kSettingsKeys);

// The credentials in force for the product: the user's keys when the user has stored some, else the
// machine's, with the settings model's user name and protocols. out is set only on kCredentialsOk;
// *scope (when not null) names where the keys came from. The trace gets "credentials.read" with the
// scope, the key and the result, never a key.
CredentialsStatus ReadCredentials(const char* productCode, UsmCredentials& out, CredentialsScope* scope = nullptr,
                                  const SettingsKeys& keys = kSettingsKeys);
