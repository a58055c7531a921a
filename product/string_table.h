// The string file: every user-visible text by key, loaded once at start-up into one process-wide
// table of (key, text) pairs in the ANSI code page.
#pragma once
#include <cstddef>
#include <string>

#include "product/string_keys.h"

namespace StringTable {
// Results of Load.
constexpr int kLoadOk = 0;
constexpr int kLoadCannotOpen = -1;  // the file cannot be opened; "Can not find StringFile." was shown
constexpr int kLoadDamaged = -2;     // no message shown: an entry line without a line feed (the last
                                     // line, or a piece of one over 1038 bytes), without "=", not
                                     // convertible, or any line holding a NUL byte (UTF-16 files)

// Loads the UTF-8 string file at path (an ANSI path) and appends its entries: one of the results
// above. Entries read before a failing line stay loaded.
int Load(const char* path);

// Looks key up (first entry with an equal key, case-sensitive). Found: copies the text into text
// (capacity bytes, cut to fit and terminated) and returns 1. Not found: shows "Can not get
// StringTable.", leaves text unchanged and returns 0. Key::None empties text and returns 0.
int Get(StringKey key, char* text, size_t capacity);
// The same as a value: the whole text, or the empty text when the key is missing (after the message).
std::string Text(StringKey key);

// A text of the string file used as a format with one name: the first "%s" receives name, "%%"
// gives "%", and every other "%" stays as it is. The format comes from a data file, so it is never
// handed to printf. A null format or name counts as empty.
std::string FormatWithName(const char* format, const char* name);

// Empties the table (tests only; the program loads once and never clears).
void Clear();
}  // namespace StringTable
