// CArchive: a loading archive over a block of bytes, read field by field in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

class CArchive {
public:
    explicit CArchive(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    // Reads a little-endian 32-bit signed field. False, with `value` unchanged, when fewer than
    // four bytes are left; from then on every read fails, so a truncated block never yields a
    // field read from the wrong place.
    bool Read(std::int32_t& value) {
        if (m_bFailed || m_bytes.size() - m_position < 4) {
            m_bFailed = true;
            return false;
        }
        std::uint32_t bits = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            bits |= static_cast<std::uint32_t>(m_bytes[m_position + i]) << (8 * i);
        }
        m_position += 4;
        value = static_cast<std::int32_t>(bits);
        return true;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
    bool m_bFailed = false;
};
