// The one product definition: the eight scanner products of product/products.def as typed rows,
// the product this process serves, and every name, folder and file that follows from a row.
#pragma once
#include <span>
#include <string>
#include <vector>

#include "product/string_keys.h"

// How a product's name in messages and in /list is made.
enum class ProductNameRule { Device, BrandModel };
// How the application title is made (see AppTitle).
enum class TitleRule { MakerDeviceApp, AppNameFormat };

// One row of product/products.def; the comment there says what each field is.
struct Product {
    const char* code;
    const char* brand;
    const char* model;
    const char* hardwareId;
    const char* modelOid;
    const char* secondModelOid;  // "" when the product has no second identifier
    const char* deviceDescription;
    StringKey deviceNameKey;  // Key::None: the model is the device's display name
    StringKey makerNameKey;   // Key::None: the brand is the maker's display name
    const char* makerFolder;
    const char* makerKeyName;
    const char* productFolder;  // below the maker folder, "/" between folders
    ProductNameRule productName;
    TitleRule titleRule;
    bool ipv6;
    int iconFamily;
    const char* optionToken;
    const char* programToken;
    bool takesGivenAddress;
};

namespace Products {
// Every product, in the table's order.
std::span<const Product> All();
// The product with that file code, or null.
const Product* ByCode(const char* code);

// The product this process serves: set once by start-up (tests set it per case); every layer reads
// it from here. Before it is set it is the table's first product.
void SetCurrent(const Product& product);
const Product& Current();

// The first product (in table order) whose option token the text holds, letter case ignored and
// searched by the characters of the ANSI code page (a token never starts at the trail byte of a
// double-byte character); null when none does. Start-up passes only the command line's words that
// may name a product (app/startup_request.h).
const Product* FromOptionText(const char* text);
// The same for the program tokens in the base name (no folder, no extension) of an executable path.
const Product* FromProgramPath(const char* path);
}  // namespace Products

// True when the system's processor (not this process's) runs 64-bit Windows programs: x64, Itanium
// and ARM64 (which runs x64 programs). Decides the resource module and the setup information file.
bool Is64BitSystem();

// The file names of the product. The resource module is <code>RS6.dll on a 64-bit system, else
// <code>RES.dll; the setup information file <code>N64.inf or <code>N32.inf the same way.
std::string ResourceModuleFile(const Product& product);
std::string StringFileName(const Product& product);

// The product's install folder below the program-files folder of 32-bit programs (on a 32-bit
// system the only one), its data folder below the common application-data folder, and the setup
// information file in the install folder's "Network" subfolder: Windows paths without a trailing
// separator; empty when the shell does not give the base folder.
std::string InstallFolder(const Product& product);
std::string DataFolder(const Product& product);
std::string InfPath(const Product& product);

// The registry key of the stored connection below HKEY_CURRENT_USER:
// "Software\<maker key name>\<brand> <model> Scanner\ScanLink".
std::string SettingsKey(const Product& product);

// The names of the two single-instance guards: one per session, one for the whole system.
std::string LocalMutexName(const Product& product);
std::string GlobalMutexName(const Product& product);

// Whether the product offers IPv6 discovery on this system (never on Windows 2000).
bool OffersIpv6(const Product& product);

// The identifiers a scanner of the product answers with: the model OID, then the second one.
std::vector<const char*> ModelIdentifiers(const Product& product);

// Display names looked up in the string file (its lookup shows its own message when a key is
// missing, and the name is then empty). Names are cut to 31 bytes, as the rest of the scanner
// product holds them.
std::string DeviceDisplayName(const Product& product);
std::string MakerDisplayName(const Product& product);
// The product's name in messages and in /list (ProductNameRule).
std::string ProductDisplayName(const Product& product);
// The application title: MakerDeviceApp gives "<maker> <device> <STR_S_UTIL_APPNAME>";
// AppNameFormat gives STR_S_UTIL_APPNAME with its first "%s" replaced by the device's name (and
// "%%" by "%"). The device title is "<maker> <device>". Each part is cut to 63 bytes.
std::string AppTitle(const Product& product);
std::string DeviceTitle(const Product& product);

// The current product's two titles, built once by LoadTitles after the string file is loaded; both
// are empty before.
namespace Titles {
void Load();
const std::string& App();
const std::string& Device();
}  // namespace Titles
