// libFuzzer target for the row rules: the input is cut into 208-byte reply records (the last
// one zero-filled), which become rows one by one as the window would make them. The checks
// catch rules that break their promises: one row per address, indexes 1..n in arrival order,
// texts within their fields, the deviceWord of the reply, the address found again.
#include "text/ansi_text.h"
#include "discovery/device_rows.h"
#include "tests/fuzz/fuzz_target.h"

#include <algorithm>
#include <set>
#include <span>

namespace {
using namespace discovery;

// The longest text of each column: at most 5 index digits for the rows made here, class,
// blank and model, name, address, the two ports as "-2147483648", the MAC.
constexpr std::size_t kLongestText[kColumnCount] = {
    5, kClassTextSize + kModelTextSize - 1, kDeviceNameSize - 1, kDeviceAddressSize - 1, 11, 11,
    17};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::byte> input(reinterpret_cast<const std::byte*>(data), size);
    DeviceRows rows;
    std::set<std::wstring> addresses;
    for (std::size_t offset = 0; offset < input.size(); offset += kReplySize) {
        const auto record =
            MakeReplyRecord(input.subspan(offset, std::min(kReplySize, input.size() - offset)));
        const SearchReply reply = DecodeSearchReply(record);
        const std::wstring address = text::AnsiToWide(reply.deviceAddress).value_or(std::wstring());
        const bool known = FindDeviceClass(reply.classText).has_value();
        const bool listed = addresses.count(address) != 0;
        const int before = rows.Count();

        const ReplyOutcome outcome = rows.AddDeviceFromReply(record);

        // A row exactly when the class is known and the address new.
        Require(rows.Count() == before + (known && !listed ? 1 : 0));
        Require((outcome == ReplyOutcome::kRowAdded) == (rows.Count() > before));
        if (rows.Count() == before) {
            continue;
        }
        addresses.insert(address);
        const DeviceRecord& row = rows.Row(before);
        Require(row.texts[kIndexColumn] == std::to_wstring(before + 1));
        Require(row.texts[kAddressColumn] == address);
        Require(rows.FindAddress(address) == before);
        for (int column = 0; column < kColumnCount; ++column) {
            Require(row.texts[static_cast<std::size_t>(column)].size() <= kLongestText[column]);
        }
        Require(row.deviceWord ==
                deviceWord(reply.rtspPort, *FindDeviceClass(reply.classText), reply.dvsByte));
    }
    return 0;
}
