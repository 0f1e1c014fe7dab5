// The device rows of one search kept in memory: the list the row rules fill when there is no
// window, and the order the --sort option gives them.
#pragma once

#include "discovery/device_rows.h"
#include "listview/row_order.h"

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace cli {

class RowTable final : public discovery::DeviceRowList {
public:
    RowTable() = default;
    RowTable(const RowTable&) = delete;
    RowTable& operator=(const RowTable&) = delete;

    int RowCount() const override { return static_cast<int>(m_rows.size()); }
    int ColumnCount() const override { return discovery::kColumnCount; }
    std::wstring RowText(int row, int column) const override;
    int InsertRow(int position, const std::wstring& firstText) override;
    bool SetRowText(int row, int column, const std::wstring& text) override;
    void AttachRecord(int row, std::unique_ptr<discovery::DeviceRecord> record) override;
    discovery::DeviceRecord* RecordOf(int row) const override;
    void DeleteAllRows() override;
    void SetRedraw(bool) override {}
    // From a set of the address texts: a search of thousands of devices checks every reply.
    bool HasRowWithAddress(const std::wstring& address) const override;

    // Every row's texts in row order.
    [[nodiscard]] std::vector<discovery::RowTexts> Texts() const;
    // The window's sort: ascending by `column` (the address by its value, the rest by
    // `compare`), rows that compare equal keep their arrival order; then the index column
    // counts 1..n again, as the window renumbers after a sort.
    void Sort(int column, listview::TextCompare compare);

private:
    struct Row {
        discovery::RowTexts texts;
        std::unique_ptr<discovery::DeviceRecord> record;
    };
    std::vector<Row> m_rows;
    std::unordered_multiset<std::wstring> m_addresses;
};

} // namespace cli
