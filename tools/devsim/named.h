// Name tables: each value of an enumeration under the name that the command line and the log
// use for it, with what it means for the help.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace devsim {

template <typename E> struct Named {
    E value;
    std::string_view name;
    std::string_view meaning;
};

template <typename E, std::size_t N>
[[nodiscard]] constexpr std::optional<E> ValueNamed(const std::array<Named<E>, N>& table,
                                                    std::string_view name) {
    for (const Named<E>& entry : table) {
        if (entry.name == name) {
            return entry.value;
        }
    }
    return std::nullopt;
}

// `missing` for a value the table leaves out.
template <typename E, std::size_t N>
[[nodiscard]] constexpr std::string_view NameOf(const std::array<Named<E>, N>& table, E value,
                                                std::string_view missing = "?") {
    for (const Named<E>& entry : table) {
        if (entry.value == value) {
            return entry.name;
        }
    }
    return missing;
}

} // namespace devsim
