// The string file: every user-visible text by key, loaded once at start-up into one process-wide
// table of (key, text) pairs in the ANSI code page.
#pragma once
#include <cstddef>

namespace StringTable {
// Loads the UTF-8 string file at path (an ANSI path) and appends its entries. 0 on success, -1 on
// failure ("Can not find StringFile." is shown when the file cannot be opened; entries read before
// a failing line stay loaded).
int Load(const char* path);

// Looks key up (first entry with an equal key, case-sensitive). Found: copies the text into text
// (capacity bytes, cut to fit and terminated) and returns 1. Not found: shows "Can not get
// StringTable.", leaves text unchanged and returns 0. A null key empties text and returns 0.
int Get(const char* key, char* text, size_t capacity);

// Empties the table (tests only; the program loads once and never clears).
void Clear();
}
