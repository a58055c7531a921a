// The keys of the string file as named constants, made from the one list in product/string_keys.def:
// Key::STR_S_FOUND exists because the list names it, and a mistyped key does not compile.
#pragma once
#include <cstddef>

// A key of the string file. Only Key's constants are keys: nothing else can make one.
class StringKey {
public:
    constexpr const char* Name() const { return name_; }
    // Key::None, the key of nothing (a product whose name is not looked up).
    constexpr bool IsNone() const { return name_[0] == '\0'; }

private:
    friend struct Key;
    constexpr explicit StringKey(const char* name) : name_(name) {}
    const char* name_;
};

struct Key {
#define SCANLINK_STRING_KEY(name) static constexpr StringKey name{#name};
#include "product/string_keys.def"
#undef SCANLINK_STRING_KEY
    static constexpr StringKey None{""};

    // Every key of the list, in its order.
    static constexpr StringKey kAll[] = {
#define SCANLINK_STRING_KEY(name) name,
#include "product/string_keys.def"
#undef SCANLINK_STRING_KEY
    };
};
