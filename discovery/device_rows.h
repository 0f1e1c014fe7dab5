// Turns queued replies into device rows and clears them: the row rules (duplicates, classes,
// texts, deviceWord), written against a small list interface so they run on any list.
#pragma once

#include "discovery/device_record.h"
#include "discovery/device_texts.h"
#include "discovery/discovery_engine.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace discovery {

// The list operations the device rows need; the Windows list view implements them.
class DeviceRowList {
public:
    virtual ~DeviceRowList() = default;
    [[nodiscard]] virtual int RowCount() const = 0;
    [[nodiscard]] virtual int ColumnCount() const = 0;
    [[nodiscard]] virtual std::wstring RowText(int row, int column) const = 0;
    // Inserts a row with its column 0 text; the new row's index, or -1 on failure.
    virtual int InsertRow(int position, const std::wstring& firstText) = 0;
    virtual bool SetRowText(int row, int column, const std::wstring& text) = 0;
    // The row owns its record from here on.
    virtual void AttachRecord(int row, std::unique_ptr<DeviceRecord> record) = 0;
    [[nodiscard]] virtual DeviceRecord* RecordOf(int row) const = 0;
    // Frees every row's record, then deletes every row.
    virtual void DeleteAllRows() = 0;
    virtual void SetRedraw(bool redraw) = 0;
    // True when some row's column 3 text is exactly `address` (case-sensitive, whole text).
    // Reads every row's text; a list that keeps its own index of those texts answers from it.
    [[nodiscard]] virtual bool HasRowWithAddress(const std::wstring& address) const;
};

// Takes every queued reply and makes at most one row of each, oldest first, with redrawing
// off from the first row appended to the end of the batch: the list is redrawn once per batch
// instead of once per row, which a crowd of devices answering at once cannot afford.
// Every kRepliesBetweenYieldChecks replies it asks `yield` whether others wait for the thread
// (the operator, a close request); if so it stops and gives the rest back to the engine, which
// wakes the window for them again. Returns how many replies it handled.
inline constexpr std::size_t kRepliesBetweenYieldChecks = 64;
std::size_t AddDevicesFromReplies(DiscoveryEngine& engine, DeviceRowList& list,
                                  const std::function<bool()>& yield = {});
// The row rules for one reply record: dropped when its address is listed already or its class
// is unknown, else appended with the next index and its deviceWord (redrawing off meanwhile).
void AddDeviceFromRecord(const ReplyRecord& record, DeviceRowList& list);
// Appends one row at the end with its record (deviceWord 0); returns its index or -1.
int AppendDeviceRow(DeviceRowList& list, const RowTexts& texts);
void ClearDeviceRows(DeviceRowList& list);

} // namespace discovery
