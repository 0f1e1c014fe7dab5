// An in-memory DeviceRowList that records what the row rules did to it.
#pragma once

#include "discovery/device_rows.h"

#include <memory>
#include <string>
#include <vector>

class FakeRowList : public discovery::DeviceRowList {
public:
    struct Row {
        std::vector<std::wstring> texts;
        std::unique_ptr<discovery::DeviceRecord> record;
    };

    int RowCount() const override { return static_cast<int>(rows.size()); }
    int ColumnCount() const override { return columns; }
    std::wstring RowText(int row, int column) const override {
        return rows[static_cast<std::size_t>(row)].texts[static_cast<std::size_t>(column)];
    }
    int InsertRow(int position, const std::wstring& firstText) override {
        if (failInsert)
            return -1;
        Row row;
        row.texts.resize(static_cast<std::size_t>(columns));
        row.texts[0] = firstText;
        rows.insert(rows.begin() + position, std::move(row));
        return position;
    }
    bool SetRowText(int row, int column, const std::wstring& text) override {
        rows[static_cast<std::size_t>(row)].texts[static_cast<std::size_t>(column)] = text;
        return true;
    }
    void AttachRecord(int row, std::unique_ptr<discovery::DeviceRecord> record) override {
        rows[static_cast<std::size_t>(row)].record = std::move(record);
    }
    discovery::DeviceRecord* RecordOf(int row) const override {
        return rows[static_cast<std::size_t>(row)].record.get();
    }
    void DeleteAllRows() override { rows.clear(); }
    void SetRedraw(bool redraw) override { redrawCalls.push_back(redraw); }

    int columns = 7;
    bool failInsert = false;
    std::vector<Row> rows;
    std::vector<bool> redrawCalls;
};
