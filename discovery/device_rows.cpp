#include "discovery/device_rows.h"

#include "text/ansi_text.h"
#include "discovery/device_texts.h"

namespace discovery {

bool DeviceRowList::HasRowWithAddress(const std::wstring& address) const {
    const int rowCount = RowCount();
    for (int row = 0; row < rowCount; ++row) {
        if (RowText(row, kAddressColumn) == address)
            return true;
    }
    return false;
}

void AddDeviceFromReply(DiscoveryEngine& engine, DeviceRowList& list) {
    // The record is freed on every way out, once its row is made or it is dropped.
    if (const std::unique_ptr<ReplyRecord> record = engine.TakeOldestReply())
        AddDeviceFromRecord(*record, list);
}

void AddDeviceFromRecord(const ReplyRecord& record, DeviceRowList& list) {
    const SearchReply reply = DecodeSearchReply(record);
    const int rowCount = list.RowCount();
    const std::wstring address = text::AnsiToWide(reply.deviceAddress).value_or(std::wstring());
    if (list.HasRowWithAddress(address))
        return;
    const std::optional<DeviceClass> deviceClass = FindDeviceClass(reply.classText);
    if (!deviceClass)
        return;

    list.SetRedraw(false);
    const int row = AppendDeviceRow(list, DeviceRowTexts(reply, rowCount + 1));
    if (row >= 0 && list.RowCount() > rowCount) {
        if (DeviceRecord* appended = list.RecordOf(rowCount))
            appended->deviceWord = deviceWord(reply.rtspPort, *deviceClass, reply.dvsByte);
    }
    list.SetRedraw(true);
}

int AppendDeviceRow(DeviceRowList& list, const RowTexts& texts) {
    const int row = list.InsertRow(list.RowCount(), texts[kIndexColumn]);
    if (row < 0)
        return -1;
    auto record = std::make_unique<DeviceRecord>();
    const int columns = list.ColumnCount();
    record->texts.resize(static_cast<std::size_t>(columns));
    for (int column = 0; column < columns && column < kColumnCount; ++column) {
        const std::wstring& text = texts[static_cast<std::size_t>(column)];
        if (column != kIndexColumn)
            list.SetRowText(row, column, text);
        record->texts[static_cast<std::size_t>(column)] = text;
    }
    list.AttachRecord(row, std::move(record));
    return row;
}

void ClearDeviceRows(DeviceRowList& list) {
    list.DeleteAllRows();
}

} // namespace discovery
