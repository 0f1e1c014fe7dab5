// DeviceRows: the device list's rows, the one store of discovered devices. It applies the row
// rules (first reply of an address wins, unknown classes dropped, texts, deviceWord), numbers
// and renumbers the index column, sorts, and finds rows by address text. The window's list
// shows it; the command line, the bench and the tests use it as it is.
#pragma once

#include "discovery/datagram.h"
#include "discovery/device_texts.h"
#include "discovery/row_order.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace discovery {

// What the list keeps of one device.
struct DeviceRecord {
    RowTexts texts; // what the row shows, column by column
    std::uint32_t deviceWord = 0;
    // Every distinct MAC that answered from the row's address during this search, the row's
    // own first; more than one when devices share an address.
    std::vector<std::wstring> macs;
};

// What became of one reply.
enum class ReplyOutcome {
    kRowAdded,      // a new row at the end
    kAddressListed, // a row has the address already: dropped
    kUnknownClass,  // the class text names no known class: dropped
    kAnotherDevice, // a row has the address, and this MAC is new to it: added to its macs
};

class DeviceRows {
public:
    // The row rules for one reply record. The duplicate test comes first: a listed address
    // drops the reply whatever its class, but a known class with a MAC the row does not have
    // yet is remembered in that row's macs. The row's texts never change.
    ReplyOutcome AddDeviceFromReply(const ReplyRecord& record);
    // Appends a row at the end with these texts, deviceWord 0 and no MAC; its index.
    int AppendDeviceRow(const RowTexts& texts);
    void ClearDeviceRows();

    [[nodiscard]] int Count() const { return static_cast<int>(m_rows.size()); }
    // Rows in display order; `row` must be below Count().
    [[nodiscard]] const DeviceRecord& Row(int row) const;
    [[nodiscard]] const std::wstring& Text(int row, int column) const;
    // The row whose address text is exactly `address` (case-sensitive, whole text); -1: none.
    [[nodiscard]] int FindAddress(const std::wstring& address) const;

    // Sorts by `column` (not the index column), the address by value and other texts by
    // `textKey`, then numbers the index column 1..n from the top. Returns the order applied:
    // new position i holds the row that was at order[i].
    std::vector<int> SortRows(int column, bool ascending, SortKey textKey);

private:
    void RebuildAddressIndex();

    std::vector<DeviceRecord> m_rows;
    // Address text -> row: every reply is checked against every row, which a search of
    // thousands of devices cannot afford as a scan.
    std::unordered_map<std::wstring, int> m_addressIndex;
};

} // namespace discovery
