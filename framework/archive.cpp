// CArchive: bounds-checked little-endian reads.
#include "framework/archive.h"

bool CArchive::Read(std::int32_t& value) {
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
