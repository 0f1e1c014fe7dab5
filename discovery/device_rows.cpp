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

namespace {

// Switches the list's redrawing off before the first row is appended and on again when it
// goes, so that a batch of dropped replies causes no redraw at all.
class RedrawPause {
public:
    explicit RedrawPause(DeviceRowList& list) : m_list(list) {}
    ~RedrawPause() {
        if (m_paused)
            m_list.SetRedraw(true);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

    void Begin() {
        if (!m_paused)
            m_list.SetRedraw(false);
        m_paused = true;
    }

private:
    DeviceRowList& m_list;
    bool m_paused = false;
};

void AddDeviceRow(const ReplyRecord& record, DeviceRowList& list, RedrawPause& redraw) {
    const SearchReply reply = DecodeSearchReply(record);
    const int rowCount = list.RowCount();
    const std::wstring address = text::AnsiToWide(reply.deviceAddress).value_or(std::wstring());
    if (list.HasRowWithAddress(address))
        return;
    const std::optional<DeviceClass> deviceClass = FindDeviceClass(reply.classText);
    if (!deviceClass)
        return;

    redraw.Begin();
    const int row = AppendDeviceRow(list, DeviceRowTexts(reply, rowCount + 1));
    if (row >= 0 && list.RowCount() > rowCount) {
        if (DeviceRecord* appended = list.RecordOf(rowCount))
            appended->deviceWord = deviceWord(reply.rtspPort, *deviceClass, reply.dvsByte);
    }
}

} // namespace

std::size_t AddDevicesFromReplies(DiscoveryEngine& engine, DeviceRowList& list,
                                  const std::function<bool()>& yield) {
    // Each record is freed when its row is made or its reply dropped; the ones given back
    // belong to the engine again.
    std::vector<std::unique_ptr<ReplyRecord>> batch = engine.TakeAllReplies();
    RedrawPause redraw(list);
    std::size_t handled = 0;
    while (handled < batch.size()) {
        if (handled > 0 && handled % kRepliesBetweenYieldChecks == 0 && yield && yield()) {
            engine.ReturnReplies(
                {std::make_move_iterator(batch.begin() + static_cast<std::ptrdiff_t>(handled)),
                 std::make_move_iterator(batch.end())});
            break;
        }
        AddDeviceRow(*batch[handled], list, redraw);
        batch[handled].reset();
        ++handled;
    }
    return handled;
}

void AddDeviceFromRecord(const ReplyRecord& record, DeviceRowList& list) {
    RedrawPause redraw(list);
    AddDeviceRow(record, list, redraw);
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
