// libFuzzer target: the string file loader on arbitrary file contents, then lookups and the
// name formatting on what it loaded. Any crash, sanitizer report, a result other than "loaded" or
// "damaged" for a file that exists, or a text handed back unterminated stops the run.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "control/test_control.h"
#include "product/string_table.h"

namespace {

const std::string& FilePath()
{
    static const std::string path = "/dev/shm/scanlink-string-file-fuzz-" + std::to_string(::getpid()) + ".tbl";
    return path;
}

// Looks key up into a small buffer filled with a marker: the text must come back terminated
// inside it, and a miss must leave it untouched (Key::None empties it).
void CheckLookup(StringKey key)
{
    char text[16];
    std::memset(text, 0x5A, sizeof text);
    text[sizeof text - 1] = '\0';
    const int found = StringTable::Get(key, text, sizeof text);
    if (found != 0 && found != 1) std::abort();
    if (strnlen(text, sizeof text) == sizeof text) std::abort();
    if (found == 0 && std::strlen(text) != (key.IsNone() ? 0 : sizeof text - 1)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    Platform::SetMessageBoxCapture(true);
    Platform::ClearRecordedMessageBoxes();
    std::FILE* out = std::fopen(FilePath().c_str(), "wb");
    if (out == nullptr) std::abort();
    if (size != 0 && std::fwrite(data, 1, size, out) != size) std::abort();
    std::fclose(out);

    StringTable::Clear();
    const int result = StringTable::Load(FilePath().c_str());
    if (result != StringTable::kLoadOk && result != StringTable::kLoadDamaged) std::abort();
    // The file exists: the only message a load may show is the one for a file that cannot be opened.
    if (!Platform::RecordedMessageBoxes().empty()) std::abort();

    // Every key (only the list's keys exist), so that every loaded entry of a known key is hit.
    for (StringKey key : Key::kAll) CheckLookup(key);
    CheckLookup(Key::None);
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string formatted = StringTable::FormatWithName(text.c_str(), "chromaline 7240MF");
    if (formatted.size() > text.size() + std::strlen("chromaline 7240MF")) std::abort();
    StringTable::Clear();
    return 0;
}
