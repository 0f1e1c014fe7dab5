// RowTable: rows in a vector, their address texts in a set.
#include "cli/row_table.h"

#include <algorithm>

namespace cli {

std::wstring RowTable::RowText(int row, int column) const {
    return m_rows[static_cast<std::size_t>(row)].texts[static_cast<std::size_t>(column)];
}

int RowTable::InsertRow(int position, const std::wstring& firstText) {
    Row row;
    row.texts[discovery::kIndexColumn] = firstText;
    m_rows.insert(m_rows.begin() + position, std::move(row));
    return position;
}

bool RowTable::SetRowText(int row, int column, const std::wstring& text) {
    std::wstring& cell =
        m_rows[static_cast<std::size_t>(row)].texts[static_cast<std::size_t>(column)];
    if (column == discovery::kAddressColumn) {
        if (const auto old = m_addresses.find(cell); !cell.empty() && old != m_addresses.end())
            m_addresses.erase(old);
        m_addresses.insert(text);
    }
    cell = text;
    return true;
}

void RowTable::AttachRecord(int row, std::unique_ptr<discovery::DeviceRecord> record) {
    m_rows[static_cast<std::size_t>(row)].record = std::move(record);
}

discovery::DeviceRecord* RowTable::RecordOf(int row) const {
    return m_rows[static_cast<std::size_t>(row)].record.get();
}

void RowTable::DeleteAllRows() {
    m_rows.clear();
    m_addresses.clear();
}

bool RowTable::HasRowWithAddress(const std::wstring& address) const {
    return m_addresses.contains(address);
}

std::vector<discovery::RowTexts> RowTable::Texts() const {
    std::vector<discovery::RowTexts> texts;
    texts.reserve(m_rows.size());
    for (const Row& row : m_rows)
        texts.push_back(row.texts);
    return texts;
}

void RowTable::Sort(int column, listview::TextCompare compare) {
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const Row& left, const Row& right) {
        return listview::CompareRows(*left.record, *right.record, column, true, compare) < 0;
    });
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        std::wstring index = std::to_wstring(i + 1);
        m_rows[i].texts[discovery::kIndexColumn] = index;
        if (!m_rows[i].record->texts.empty())
            m_rows[i].record->texts[discovery::kIndexColumn] = std::move(index);
    }
}

} // namespace cli
