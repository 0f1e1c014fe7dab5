// Result: a value, or why there is none. The one shape in which an operation that can fail
// answers, shaped like C++23's std::expected (which C++20 lacks) so that it can give way to it:
// a caller tests it like a pointer, reads the value with * or ->, and the failure with error().
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace base {

// Why something failed: the system's error code where the system gave one, and in words what
// failed (the call, such as "bind", or the rule that refused a text). Only what talks to the
// operator turns the code into the system's words.
struct Failure {
    int systemError = 0; // errno, or GetLastError / WSAGetLastError on Windows; 0: none
    std::string what;
};

template <class T, class E = Failure> class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(E failure) : m_state(std::in_place_index<1>, std::move(failure)) {}

    [[nodiscard]] bool has_value() const { return m_state.index() == 0; }
    explicit operator bool() const { return has_value(); }
    // The value; std::bad_variant_access when there is none.
    [[nodiscard]] T& operator*() { return std::get<0>(m_state); }
    [[nodiscard]] const T& operator*() const { return std::get<0>(m_state); }
    T* operator->() { return &std::get<0>(m_state); }
    const T* operator->() const { return &std::get<0>(m_state); }
    // The value, or `fallback` when there is none.
    [[nodiscard]] T value_or(T fallback) const { return has_value() ? **this : fallback; }
    // The failure; std::bad_variant_access when there is a value.
    [[nodiscard]] const E& error() const { return std::get<1>(m_state); }

private:
    std::variant<T, E> m_state;
};

// Success that carries no value (`return {};`), or the failure.
template <class E> class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    Result(E failure) : m_failure(std::move(failure)) {}

    [[nodiscard]] bool has_value() const { return !m_failure; }
    explicit operator bool() const { return has_value(); }
    // std::bad_optional_access on success.
    [[nodiscard]] const E& error() const { return m_failure.value(); }

private:
    std::optional<E> m_failure;
};

// "what: <the system's words for the code>", or `what` alone when the system gave no code.
[[nodiscard]] inline std::string Describe(const Failure& failure,
                                          const std::function<std::string(int)>& systemText) {
    if (failure.systemError == 0) {
        return failure.what;
    }
    return failure.what + ": " + systemText(failure.systemError);
}

} // namespace base
