// Product variants: which of the eight scanner products this process serves, and the table of
// per-variant values (identifiers, names, file names, folders, registry key, mutex names).
#pragma once
#include <cstddef>
#include <string>

#include "product/launch_mode.h"

// The product variant: 0, 1, 2, 3, 6, 7, 8 or 10; -1 when no product token was found. The values
// 4, 5 and 9 are not products and every item treats them like an unlisted variant.
using VariantId = int;
constexpr VariantId kNoVariant = -1;

// Item numbers of VariantTable::Get. Items 8 and 11 and every number from 26 up are not defined.
enum VariantItem : int {
    kIpv6Available = 0,  // integer
    kHardwareId = 1,
    kModelOid = 2,
    kDeviceDescription = 3,
    kSettingsRegistryKey = 4,
    kModelName = 5,
    kResourceModuleFile = 6,
    kStringFileName = 7,
    kInfPath = 9,
    kDeviceDisplayName = 10,
    kInstallFolder = 12,
    kLocalMutexName = 13,
    kGlobalMutexName = 14,
    kProductFamily = 15,  // integer
    kDataFolder = 16,
    kMakerDisplayName = 17,
    kMakerFolderName = 18,
    kMakerRegistryKey = 19,
    kAppTitle = 20,
    kProductFolderLeaf = 21,
    kAltModelOid = 22,
    kHasAltModelOid = 23,  // integer
    kMakerRegistryName = 24,
    kProductDisplayName = 25,
};

// Result codes of VariantTable::Get.
constexpr int kVariantOk = 0;
constexpr int kVariantUndefined = 2;

namespace VariantTable {
// The current variant: set once by start-up (tests set it per case); every item below is read for
// it. Before it is set the current variant is 0.
void SetCurrent(VariantId variant);
VariantId Current();

// Writes one item for the current variant into buffer.
// Texts are NUL-terminated ANSI strings; integer items are one 32-bit int at the start of the
// buffer. size is the buffer's capacity in bytes; every text is cut to fit and terminated, so
// nothing is written past it (an integer item needs at least 4 bytes). Results: kVariantOk, or
// kVariantUndefined for an undefined item, items 1 and 2 (and 0, which then writes 0) of an
// unlisted variant, or an unknown processor architecture. An item without a value for the variant
// leaves the buffer unchanged and gives kVariantOk: callers clear the buffer first when that must
// read as empty.
int Get(int item, void* buffer, size_t size);

// An integer item (0, 15 or 23) as a value: 0 when the item leaves it unset.
int GetInt(int item);

// The window titles of the current variant, built once by LoadTitles after the string file is
// loaded (its lookups show their own message when a name is missing); both are empty before. The
// device title is the maker's display name, a space and the device's display name (the
// connection-type dialog and the flow's messages); the application title is item kAppTitle (the
// address dialog and start-up's messages). Each part is read into a 64-byte buffer, so a longer
// text is cut there.
void LoadTitles();
const std::string& DeviceTitle();
const std::string& AppTitle();
}  // namespace VariantTable

// Decides the variant once at start-up: from the command-line arguments when the launch mode is
// 0 to 3 (a connection option was given), else from the executable's own base name.
VariantId DetectVariant(int launchMode, const char* commandLine);
