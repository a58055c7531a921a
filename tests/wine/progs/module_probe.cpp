// Test helper: loads a resource module as the program does (as data, running none of its code)
// and prints its version resource's original file name.
//   module_probe PATH    exit 0 when it loaded and has version information, 1 otherwise
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/resource_module.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: module_probe PATH\n");
        return 2;
    }
    void* module = Platform::LoadResourceModule(argv[1]);
    if (module == nullptr) {
        std::printf("not loaded\n");
        return 1;
    }
    HMODULE handle = static_cast<HMODULE>(module);
    HRSRC info = ::FindResourceA(handle, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
    if (info == nullptr) {
        std::printf("no version information\n");
        Platform::FreeResourceModule(module);
        return 1;
    }
    // The version block is UTF-16; find "OriginalFilename" and print its value.
    const wchar_t* data = static_cast<const wchar_t*>(::LockResource(::LoadResource(handle, info)));
    size_t count = ::SizeofResource(handle, info) / sizeof(wchar_t);
    std::wstring block(data, count);
    size_t at = block.find(L"OriginalFilename");
    std::string name;
    if (at != std::wstring::npos) {
        size_t value = at + 16;
        while (value < block.size() && block[value] == L'\0') ++value;
        for (; value < block.size() && block[value] != L'\0'; ++value) name.push_back(static_cast<char>(block[value]));
    }
    std::printf("loaded %s\n", name.c_str());
    Platform::FreeResourceModule(module);
    return name.empty() ? 1 : 0;
}
