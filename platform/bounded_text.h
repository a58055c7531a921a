// Text helpers for the fixed-size buffers (every copy is cut to fit and terminated) and the one
// ASCII case fold.
#pragma once
#include <cstddef>

// Copies source into buffer (capacity size bytes), cut to size - 1 bytes and terminated. A null
// source copies the empty text. Returns the number of bytes copied. Nothing is written when size
// is 0.
size_t BoundedCopy(char* buffer, size_t size, const char* source);

// Copies the whole of source into buffer, or, when it does not fit (or buffer is null or size 0),
// leaves buffer holding the empty text where it can. Returns true when the whole text was copied.
bool CopyWhole(const char* source, char* buffer, size_t size);

// Appends source to the text already in buffer, cut to fit and terminated; the text in buffer is
// first treated as ending at size - 1 bytes. Returns the new length.
size_t BoundedAppend(char* buffer, size_t size, const char* source);

// The base name of a path without folder and extension, as the platform's path splitter gives
// it: the part after the last "\", "/" or drive ":", up to its last ".". Cut to fit.
void PathBaseName(const char* path, char* buffer, size_t size);

// ASCII letters folded to upper or lower case; every other byte, including each byte of a
// multibyte character, stays as it is, so the fold is the same in every code page.
char AsciiToUpper(char c);
char AsciiToLower(char c);
// True when a and b are equal but for the case of ASCII letters (both must be non-null).
bool AsciiEqualNoCase(const char* a, const char* b);
