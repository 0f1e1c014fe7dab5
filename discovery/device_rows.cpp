#include "discovery/device_rows.h"

#include "text/ansi_text.h"

#include <algorithm>

namespace discovery {

ReplyOutcome DeviceRows::AddDeviceFromReply(const ReplyRecord& record) {
    const SearchReply reply = DecodeSearchReply(record);
    const std::wstring address = text::AnsiToWide(reply.deviceAddress).value_or(std::wstring());
    const std::optional<DeviceClass> deviceClass = FindDeviceClass(reply.classText);
    if (const int listed = FindAddress(address); listed >= 0) {
        std::vector<std::wstring>& macs = m_rows[static_cast<std::size_t>(listed)].macs;
        const std::wstring mac = FormatMac(reply.mac);
        if (!deviceClass || std::find(macs.begin(), macs.end(), mac) != macs.end()) {
            return ReplyOutcome::kAddressListed;
        }
        macs.push_back(mac);
        return ReplyOutcome::kAnotherDevice;
    }
    if (!deviceClass) {
        return ReplyOutcome::kUnknownClass;
    }
    const int row = AppendDeviceRow(DeviceRowTexts(reply, Count() + 1));
    DeviceRecord& added = m_rows[static_cast<std::size_t>(row)];
    added.deviceWord = deviceWord(reply.rtspPort, *deviceClass, reply.dvsByte);
    added.macs.push_back(added.texts[kMacColumn]);
    return ReplyOutcome::kRowAdded;
}

int DeviceRows::AppendDeviceRow(const RowTexts& texts) {
    const int row = Count();
    m_rows.push_back(DeviceRecord{texts, 0, {}});
    // The first row of an address text is the one it finds.
    m_addressIndex.emplace(texts[kAddressColumn], row);
    return row;
}

void DeviceRows::ClearDeviceRows() {
    m_rows.clear();
    m_addressIndex.clear();
}

const DeviceRecord& DeviceRows::Row(int row) const {
    return m_rows[static_cast<std::size_t>(row)];
}

const std::wstring& DeviceRows::Text(int row, int column) const {
    return Row(row).texts[static_cast<std::size_t>(column)];
}

int DeviceRows::FindAddress(const std::wstring& address) const {
    const auto found = m_addressIndex.find(address);
    return found != m_addressIndex.end() ? found->second : -1;
}

std::vector<int> DeviceRows::SortRows(int column, bool ascending, SortKey textKey) {
    // One key per row, made once: a comparison sort compares each row many times, and the
    // platform's text comparison is far dearer than comparing two keys.
    std::vector<std::string> keys;
    keys.reserve(m_rows.size());
    for (const DeviceRecord& row : m_rows) {
        keys.push_back(RowSortKey(row.texts, column, textKey));
    }
    const std::vector<int> order = SortedOrder(keys, ascending);
    std::vector<DeviceRecord> sorted;
    sorted.reserve(m_rows.size());
    for (const int from : order) {
        sorted.push_back(std::move(m_rows[static_cast<std::size_t>(from)]));
    }
    m_rows = std::move(sorted);
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        m_rows[row].texts[kIndexColumn] = std::to_wstring(row + 1);
    }
    RebuildAddressIndex();
    return order;
}

void DeviceRows::RebuildAddressIndex() {
    m_addressIndex.clear();
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        m_addressIndex.emplace(m_rows[row].texts[kAddressColumn], static_cast<int>(row));
    }
}

} // namespace discovery
