// What every fuzz target uses: the entry point's types, a text search, and the check that
// aborts on a broken promise, so that libFuzzer keeps the input as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

inline bool Holds(std::wstring_view text, std::wstring_view part) {
    return text.find(part) != text.npos;
}

inline void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}
