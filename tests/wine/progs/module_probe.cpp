// Test helper: loads a module as the program loads its resource module (as data, running none of
// its code) and prints "loaded " and the original file name from its version information.
//   module_probe PATH    exit 0 when it loaded and has that name, 1 otherwise
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/resource_module.h"

int main(int argc, char** argv)
{
    void* module = argc == 2 ? Platform::LoadResourceModule(argv[1]) : nullptr;
    if (module == nullptr) {
        std::printf("not loaded\n");
        return 1;
    }
    HMODULE handle = static_cast<HMODULE>(module);
    HRSRC info = ::FindResourceA(handle, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
    std::string name;
    if (info != nullptr) {
        // The version block is UTF-16: the value follows "OriginalFilename" and its padding.
        const wchar_t* data = static_cast<const wchar_t*>(::LockResource(::LoadResource(handle, info)));
        std::wstring block(data, ::SizeofResource(handle, info) / sizeof(wchar_t));
        size_t at = block.find(L"OriginalFilename");
        for (at = at == std::wstring::npos ? block.size() : at + 16; at < block.size() && block[at] == L'\0';) ++at;
        for (; at < block.size() && block[at] != L'\0'; ++at) name.push_back(static_cast<char>(block[at]));
    }
    std::printf("loaded %s\n", name.c_str());
    Platform::FreeResourceModule(module);
    return name.empty() ? 1 : 0;
}
