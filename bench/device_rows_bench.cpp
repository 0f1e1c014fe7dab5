// Prints how long the row rules take per reply as the list grows: each new reply is first
// checked against every listed address, so the cost per reply grows with the row count.
#include "discovery/device_rows.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// The least list there is: texts in memory, so the figures show the rules' own cost.
class MemoryRowList : public discovery::DeviceRowList {
public:
    int RowCount() const override { return static_cast<int>(m_rows.size()); }
    int ColumnCount() const override { return discovery::kColumnCount; }
    std::wstring RowText(int row, int column) const override {
        return m_rows[static_cast<std::size_t>(row)].texts[static_cast<std::size_t>(column)];
    }
    int InsertRow(int position, const std::wstring& firstText) override {
        Row row;
        row.texts.resize(discovery::kColumnCount);
        row.texts[0] = firstText;
        m_rows.insert(m_rows.begin() + position, std::move(row));
        return position;
    }
    bool SetRowText(int row, int column, const std::wstring& text) override {
        m_rows[static_cast<std::size_t>(row)].texts[static_cast<std::size_t>(column)] = text;
        return true;
    }
    void AttachRecord(int row, std::unique_ptr<discovery::DeviceRecord> record) override {
        m_rows[static_cast<std::size_t>(row)].record = std::move(record);
    }
    discovery::DeviceRecord* RecordOf(int row) const override {
        return m_rows[static_cast<std::size_t>(row)].record.get();
    }
    void DeleteAllRows() override { m_rows.clear(); }
    void SetRedraw(bool) override {}

private:
    struct Row {
        std::vector<std::wstring> texts;
        std::unique_ptr<discovery::DeviceRecord> record;
    };
    std::vector<Row> m_rows;
};

discovery::ReplyRecord ReplyFor(int device) {
    discovery::SearchReply reply;
    reply.classText = "IPCAMERA";
    reply.deviceAddress =
        "10.77." + std::to_string(1 + device / 250) + "." + std::to_string(1 + device % 250);
    reply.deviceName = "camera " + std::to_string(device);
    reply.httpPort = 80;
    reply.rtspPort = 554;
    reply.modelText = "M-100";
    return discovery::EncodeSearchReply(reply);
}

} // namespace

int main() {
    std::printf("%8s %12s %16s %16s\n", "rows", "total ms", "us/reply (all)", "us/reply (last)");
    for (const int count : {100, 1000, 10000}) {
        std::vector<discovery::ReplyRecord> replies;
        for (int device = 0; device < count; ++device)
            replies.push_back(ReplyFor(device));
        MemoryRowList list;
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        auto lastTenth = start;
        for (int device = 0; device < count; ++device) {
            if (device == count - count / 10)
                lastTenth = Clock::now();
            discovery::AddDeviceFromRecord(replies[static_cast<std::size_t>(device)], list);
        }
        const auto end = Clock::now();
        const double totalUs = std::chrono::duration<double, std::micro>(end - start).count();
        const double lastUs = std::chrono::duration<double, std::micro>(end - lastTenth).count();
        std::printf("%8d %12.1f %16.2f %16.2f\n", list.RowCount(), totalUs / 1000.0,
                    totalUs / count, lastUs / (count / 10));
    }
    return 0;
}
