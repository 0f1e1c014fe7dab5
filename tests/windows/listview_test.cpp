// The device list driven in-process on a dialog of the test's own: heading clicks sent to the
// real header, rows made from encoded replies by the discovery row rules, saved widths from a
// profile file, and the list's destruction.
#include "listview/sort_list_ctrl.h"

#include "discovery/datagram.h"
#include "discovery/device_rows.h"
#include "framework/data_exchange.h"
#include "framework/dialog.h"
#include "framework/win_app.h"

#include "message_pump.h"
#include "listview_test_resource.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kIndex = 0;
constexpr int kModel = 1;
constexpr int kAddress = 3;
constexpr int kHttpPort = 4;

struct Column {
    const wchar_t* heading;
    int width;
};
// As the main window inserts them.
constexpr Column kColumns[] = {{L"Index", 50}, {L"Model", 150},    {L"Device Name", 100},
                               {L"IP", 100},   {L"HTTP Port", 80}, {L"RTSP Port", 80},
                               {L"MAC", 150}};
const std::vector<int> kInsertedWidths = {50, 150, 100, 100, 80, 80, 150};

// Hosts the list the way the main window does, and records the notifications that reach it.
class ListHostDialog : public CDialog {
public:
    ListHostDialog() : CDialog(IDD_LISTVIEW_TEST) {}

    CSortListCtrl m_list;
    std::vector<int> parentColumnClicks;
    std::vector<LPARAM> deletedItemData;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_TEST_DEVICE_LIST, m_list);
    }
    BOOL OnInitDialog() override {
        const BOOL result = CDialog::OnInitDialog();
        m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
            m_list.InsertColumn(i, kColumns[i].heading, LVCFMT_LEFT, kColumns[i].width);
        }
        m_list.LoadColumnWidths();
        return result;
    }
    bool OnNotify(UINT, NMHDR* header, LRESULT&) override {
        if (header->code == LVN_COLUMNCLICK) {
            parentColumnClicks.push_back(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        } else if (header->code == LVN_DELETEITEM) {
            deletedItemData.push_back(reinterpret_cast<NMLISTVIEW*>(header)->lParam);
        }
        return false;
    }
};

struct Device {
    std::string address;
    int httpPort = 80;
    std::string model = "M1";
};

discovery::ReplyRecord ReplyOf(const Device& device) {
    discovery::SearchReply reply;
    reply.classText = "IPCAMERA";
    reply.modelText = device.model;
    reply.deviceName = "camera at " + device.address;
    reply.deviceAddress = device.address;
    reply.httpPort = device.httpPort;
    reply.rtspPort = 554;
    reply.mac = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    return discovery::EncodeSearchReply(reply);
}

std::vector<std::wstring> Wide(const std::vector<std::string>& texts) {
    std::vector<std::wstring> wide;
    for (const std::string& text : texts) {
        wide.emplace_back(text.begin(), text.end());
    }
    return wide;
}

// A profile file of the test's own, named per test so that no case sees another's file.
std::wstring TestProfilePath() {
    static int counter = 0;
    wchar_t directory[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, directory);
    return std::wstring(directory) + L"listview_test_" + std::to_wstring(::GetCurrentProcessId()) +
           L"_" + std::to_wstring(++counter) + L".profile";
}

class SortListTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
    }

    void SetUp() override { m_app.m_strProfilePath = TestProfilePath(); }

    void TearDown() override {
        CloseDialog();
        ::DeleteFileW(m_app.m_strProfilePath.c_str());
    }

    // Saves `hexValue` as the list's widths entry before the dialog reads it.
    void WriteSavedWidths(const wchar_t* entry, const wchar_t* hexValue) {
        ASSERT_TRUE(::WritePrivateProfileStringW(L"ListCtrls", entry, hexValue,
                                                 m_app.m_strProfilePath.c_str()));
    }

    void OpenDialog() {
        m_dialog = std::make_unique<ListHostDialog>();
        ASSERT_TRUE(m_dialog->Create());
        ::ShowWindow(m_dialog->m_hWnd, SW_SHOWNOACTIVATE);
        test_pump::PumpPending();
        ASSERT_NE(nullptr, m_dialog->m_list.m_hWnd);
        ASSERT_NE(nullptr, m_dialog->m_list.m_ctlHeader.m_hWnd);
    }

    void CloseDialog() {
        if (m_dialog != nullptr && m_dialog->m_hWnd != nullptr) {
            ::DestroyWindow(m_dialog->m_hWnd);
        }
        test_pump::PumpPending();
        m_dialog.reset();
    }

    void AddDevices(const std::vector<Device>& devices) {
        for (const Device& device : devices) {
            discovery::AddDeviceFromRecord(ReplyOf(device), m_dialog->m_list);
        }
        test_pump::PumpPending();
    }

    // A press and release at the middle of the heading: the header turns it into HDN_ITEMCLICK
    // for the list, which tells its parent LVN_COLUMNCLICK.
    void ClickHeading(int column) {
        HWND header = m_dialog->m_list.GetHeaderCtrl();
        RECT rect{};
        ASSERT_TRUE(::SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
                                   reinterpret_cast<LPARAM>(&rect)));
        const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(header, WM_LBUTTONUP, 0, at);
        test_pump::PumpPending();
    }

    std::vector<std::wstring> ColumnTexts(int column) const {
        std::vector<std::wstring> texts;
        for (int row = 0; row < m_dialog->m_list.GetItemCount(); ++row) {
            texts.push_back(m_dialog->m_list.RowText(row, column));
        }
        return texts;
    }

    // One field of every heading, read from the header itself (HDI_FORMAT: the sort flags).
    std::vector<int> Headings(UINT mask) const {
        std::vector<int> values;
        HWND header = m_dialog->m_list.GetHeaderCtrl();
        const int count = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            HDITEMW item{};
            item.mask = mask;
            ::SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i),
                           reinterpret_cast<LPARAM>(&item));
            values.push_back(mask == HDI_WIDTH ? item.cxy : item.fmt & (HDF_SORTUP | HDF_SORTDOWN));
        }
        return values;
    }
    std::vector<int> ArrowFlags() const { return Headings(HDI_FORMAT); }

    // Every row's record still holds exactly what its row shows, Index included.
    void ExpectRecordsMatchRows() const {
        for (int row = 0; row < m_dialog->m_list.GetItemCount(); ++row) {
            SCOPED_TRACE(testing::Message() << "row " << row);
            const discovery::DeviceRecord* record = m_dialog->m_list.RecordOf(row);
            ASSERT_NE(nullptr, record);
            ASSERT_EQ(std::size(kColumns), record->texts.size());
            for (int column = 0; column < static_cast<int>(std::size(kColumns)); ++column) {
                EXPECT_EQ(m_dialog->m_list.RowText(row, column),
                          record->texts[static_cast<std::size_t>(column)])
                    << "column " << column;
            }
        }
    }

    CWinApp m_app;
    std::unique_ptr<ListHostDialog> m_dialog;
};

// The arrow flags when only `column` shows one.
std::vector<int> ArrowOn(int column, bool ascending) {
    std::vector<int> flags(std::size(kColumns), 0);
    flags[static_cast<std::size_t>(column)] = ascending ? HDF_SORTUP : HDF_SORTDOWN;
    return flags;
}

const std::vector<int> kNoArrow(std::size(kColumns), 0);

std::vector<std::wstring> Numbers(int count) {
    std::vector<std::wstring> numbers;
    for (int i = 1; i <= count; ++i) {
        numbers.push_back(std::to_wstring(i));
    }
    return numbers;
}

TEST_F(SortListTest, HeadingClicksSortRenumberAndMoveTheArrow) {
    // The sort arrows are drawn by version 6, which the manifest selects: the process's
    // activation context then sends the list view's class name to that version.
    ACTCTX_SECTION_KEYED_DATA data{};
    data.cbSize = sizeof(data);
    EXPECT_TRUE(::FindActCtxSectionStringW(
        0, nullptr, ACTIVATION_CONTEXT_SECTION_WINDOW_CLASS_REDIRECTION, WC_LISTVIEWW, &data))
        << "no common controls 6 in effect, error " << ::GetLastError();

    OpenDialog();
    AddDevices({{"192.168.1.100", 80, "M20"},
                {"192.168.1.20", 8080, "M30"},
                {"10.0.0.5", 81, "M10"},
                {"9.0.0.1", 9, "M40"}});
    EXPECT_EQ(Numbers(4), ColumnTexts(kIndex));
    EXPECT_EQ(kNoArrow, ArrowFlags());

    const struct Step {
        const char* name;
        int column;
        std::vector<std::string> texts; // of the clicked column, top to bottom
        bool ascending;
    } steps[] = {
        {"address: ascending by value",
         kAddress,
         {"9.0.0.1", "10.0.0.5", "192.168.1.20", "192.168.1.100"},
         true},
        {"address again: descending",
         kAddress,
         {"192.168.1.100", "192.168.1.20", "10.0.0.5", "9.0.0.1"},
         false},
        {"ports sort as text", kHttpPort, {"80", "8080", "81", "9"}, true},
        {"and the other way", kHttpPort, {"9", "81", "8080", "80"}, false},
        {"another column starts ascending",
         kModel,
         {"IPCAMERA M10", "IPCAMERA M20", "IPCAMERA M30", "IPCAMERA M40"},
         true},
        {"the address column too, whatever its last sort",
         kAddress,
         {"9.0.0.1", "10.0.0.5", "192.168.1.20", "192.168.1.100"},
         true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        ClickHeading(step.column);
        EXPECT_EQ(Wide(step.texts), ColumnTexts(step.column));
        EXPECT_EQ(ArrowOn(step.column, step.ascending), ArrowFlags());
        EXPECT_EQ(Numbers(4), ColumnTexts(kIndex)) << "Index not renumbered top to bottom";
        ExpectRecordsMatchRows();
        EXPECT_EQ(step.column, m_dialog->m_list.m_ctlHeader.m_nSortColumn);
        EXPECT_EQ(step.ascending ? TRUE : FALSE, m_dialog->m_list.m_ctlHeader.m_bSortAscending);
    }

    // The Index heading changes nothing: scrambled Index texts stay as they are.
    const std::vector<std::wstring> addresses = ColumnTexts(kAddress);
    for (int row = 0; row < m_dialog->m_list.GetItemCount(); ++row) {
        m_dialog->m_list.SetItemText(row, kIndex, L"x");
    }
    ClickHeading(kIndex);
    EXPECT_EQ(addresses, ColumnTexts(kAddress));
    EXPECT_EQ(ArrowOn(kAddress, true), ArrowFlags());
    EXPECT_EQ(std::vector<std::wstring>(4, L"x"), ColumnTexts(kIndex)) << "renumbered";
    EXPECT_EQ(kAddress, m_dialog->m_list.m_nSortColumn);
    EXPECT_TRUE(m_dialog->parentColumnClicks.empty())
        << "the parent saw " << m_dialog->parentColumnClicks.size() << " column clicks";
}

// Counts the LVM_GETITEMTEXTW messages that reach the list view (refData: the int counter).
LRESULT CALLBACK CountTextReads(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR counter) {
    if (message == LVM_GETITEMTEXTW) {
        ++*reinterpret_cast<int*>(counter);
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(SortListTest, ListedAddressesAcrossSortsAndSearches) {
    OpenDialog();
    // The list view's own texts, read row by row, are the oracle of the address index.
    auto expectAgreement = [&](const char* when) {
        SCOPED_TRACE(when);
        for (const wchar_t* address : {L"10.0.0.1", L"10.0.0.2", L"10.0.0.9", L"10.0.0.01", L""}) {
            EXPECT_EQ(m_dialog->m_list.discovery::DeviceRowList::HasRowWithAddress(address),
                      m_dialog->m_list.HasRowWithAddress(address))
                << "address \"" << address << "\"";
        }
    };
    AddDevices({{"10.0.0.2"}, {"10.0.0.10"}, {"10.0.0.1"}});
    ClickHeading(kAddress);
    ASSERT_EQ(Wide({"10.0.0.1", "10.0.0.2", "10.0.0.10"}), ColumnTexts(kAddress));
    expectAgreement("sorted");

    int reads = 0;
    const HWND list = m_dialog->m_list.m_hWnd;
    ASSERT_TRUE(::SetWindowSubclass(list, &CountTextReads, 1, reinterpret_cast<DWORD_PTR>(&reads)));
    AddDevices({{"10.0.0.1", 81, "M2"}, {"10.0.0.10", 81, "M2"}});
    ::RemoveWindowSubclass(list, &CountTextReads, 1);
    EXPECT_EQ(0, reads) << "row texts read to find listed addresses";
    AddDevices({{"10.0.0.010", 81, "M2"}});
    EXPECT_EQ(Wide({"10.0.0.1", "10.0.0.2", "10.0.0.10", "10.0.0.010"}), ColumnTexts(kAddress))
        << "only a new address text may make a row";
    EXPECT_EQ(Wide({"80", "80", "80", "81"}), ColumnTexts(kHttpPort))
        << "a listed device's row must stay as its first reply made it";

    ASSERT_TRUE(m_dialog->m_list.SetRowText(0, kAddress, L"10.0.0.9"));
    expectAgreement("an address text replaced");
    // Texts longer than the first read buffer come back whole.
    const std::wstring longName(100, L'n');
    ASSERT_TRUE(m_dialog->m_list.SetRowText(0, 2, longName));
    EXPECT_EQ(longName, m_dialog->m_list.RowText(0, 2));

    // A new search: every row gives up its record before it is deleted; the arrow stays and the
    // next click flips it; the last search's addresses no longer count.
    m_dialog->deletedItemData.clear();
    discovery::ClearDeviceRows(m_dialog->m_list);
    EXPECT_EQ(std::vector<LPARAM>(4, 0), m_dialog->deletedItemData);
    expectAgreement("cleared");
    AddDevices({{"10.0.0.2", 82}, {"10.0.0.2", 83}, {"10.0.0.1", 84}});
    EXPECT_EQ(Wide({"10.0.0.2", "10.0.0.1"}), ColumnTexts(kAddress))
        << "new rows stand in arrival order, once per address";
    EXPECT_EQ(Wide({"82", "84"}), ColumnTexts(kHttpPort));
    EXPECT_EQ(ArrowOn(kAddress, true), ArrowFlags());
    ClickHeading(kAddress);
    EXPECT_EQ(Wide({"10.0.0.2", "10.0.0.1"}), ColumnTexts(kAddress));
    EXPECT_EQ(ArrowOn(kAddress, false), ArrowFlags());
    expectAgreement("a new search, sorted");
}

TEST_F(SortListTest, SavedWidthsApplyOnlyWhenWholeAndMatching) {
    // Little-endian int32 fields as hex digit pairs.
    auto field = [](std::int32_t value) {
        wchar_t text[9];
        const auto bits = static_cast<std::uint32_t>(value);
        std::swprintf(text, 9, L"%02X%02X%02X%02X", bits & 0xFF, (bits >> 8) & 0xFF,
                      (bits >> 16) & 0xFF, bits >> 24);
        return std::wstring(text);
    };
    auto value = [&field](std::int32_t count, const std::vector<std::int32_t>& widths) {
        std::wstring text = field(count);
        for (std::int32_t width : widths) {
            text += field(width);
        }
        return text;
    };
    const std::vector<std::int32_t> saved = {60, 170, 110, 120, 90, 70, 200};
    const std::vector<int> savedWidths(saved.begin(), saved.end());

    const struct Case {
        const char* name;
        const wchar_t* entry; // null: no profile file at all
        std::wstring hexValue;
        std::vector<int> expected;
    } cases[] = {
        {"no profile", nullptr, L"", kInsertedWidths},
        {"another entry only", L"1001", value(7, saved), kInsertedWidths},
        {"empty value", L"1000", L"", kInsertedWidths},
        {"seven widths for seven columns", L"1000", value(7, saved), savedWidths},
        {"bytes after the seven widths", L"1000", value(7, saved) + L"0102", savedWidths},
        {"six for seven", L"1000", value(6, {60, 170, 110, 120, 90, 70}), kInsertedWidths},
        {"eight for seven", L"1000", value(8, {60, 170, 110, 120, 90, 70, 200, 50}),
         kInsertedWidths},
        {"count of seven, six widths", L"1000", value(7, {60, 170, 110, 120, 90, 70}),
         kInsertedWidths},
        {"count of seven, last width cut short", L"1000", value(7, saved).substr(0, 60),
         kInsertedWidths},
        {"negative count", L"1000", value(-1, saved), kInsertedWidths},
        {"shorter than a count", L"1000", L"070000", kInsertedWidths},
        {"not hexadecimal", L"1000", L"07000000 3C000000", kInsertedWidths},
        {"a long tail read whole", L"1000", value(7, saved) + std::wstring(40000, L'0'),
         savedWidths},
        {"longer than a value may be", L"1000", value(7, saved) + std::wstring(70000, L'0'),
         kInsertedWidths},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CloseDialog();
        ::DeleteFileW(m_app.m_strProfilePath.c_str());
        m_app.m_strProfilePath = TestProfilePath();
        if (c.entry != nullptr) {
            WriteSavedWidths(c.entry, c.hexValue.c_str());
        }
        OpenDialog();
        EXPECT_EQ(c.expected, Headings(HDI_WIDTH));
        EXPECT_EQ(7, m_dialog->m_list.ColumnCount());
    }
}

TEST_F(SortListTest, DestroyingTheListFreesEveryRecordFirst) {
    OpenDialog();
    AddDevices({{"10.0.0.1"}, {"10.0.0.2"}, {"10.0.0.3"}});
    ClickHeading(kAddress);
    ASSERT_EQ(3, m_dialog->m_list.GetItemCount());
    m_dialog->deletedItemData.clear();

    // The list view deletes its rows as it goes, telling the parent each row's item data:
    // by then every record must have been freed and the item data cleared.
    ::DestroyWindow(m_dialog->m_hWnd);
    test_pump::PumpPending();
    EXPECT_EQ(std::vector<LPARAM>(3, 0), m_dialog->deletedItemData);
    EXPECT_EQ(nullptr, m_dialog->m_list.m_hWnd) << "the list was not unbound with its window";
    EXPECT_EQ(nullptr, m_dialog->m_list.m_ctlHeader.m_hWnd);
}

TEST_F(SortListTest, ListObjectGoneBeforeItsWindowGivesTheWindowsBackTheirProcedures) {
    OpenDialog();
    HWND plain =
        ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300, 100,
                          m_dialog->m_hWnd, reinterpret_cast<HMENU>(2000), nullptr, nullptr);
    ASSERT_NE(nullptr, plain);
    {
        // A list object that goes before its window must leave the window (and its header)
        // with their own procedures, not with a pointer to a dead object.
        CSortListCtrl gone;
        ASSERT_TRUE(gone.SubclassWindow(plain));
        EXPECT_EQ(&gone, CWnd::FromSubclassedWindow(plain));
        EXPECT_EQ(&gone.m_ctlHeader, CWnd::FromSubclassedWindow(gone.GetHeaderCtrl()));
    }
    EXPECT_EQ(nullptr, CWnd::FromSubclassedWindow(plain));
    EXPECT_EQ(nullptr, CWnd::FromSubclassedWindow(ListView_GetHeader(plain)));

    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(L"Only");
    column.cx = 120;
    ASSERT_EQ(0, ::SendMessageW(plain, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
    RECT rect{};
    ASSERT_TRUE(::SendMessageW(ListView_GetHeader(plain), HDM_GETITEMRECT, 0,
                               reinterpret_cast<LPARAM>(&rect)));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    ::SendMessageW(ListView_GetHeader(plain), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(ListView_GetHeader(plain), WM_LBUTTONUP, 0, at);
    test_pump::PumpPending();
    EXPECT_EQ(std::vector<int>{0}, m_dialog->parentColumnClicks)
        << "a list that nobody answers for leaves its column clicks to the parent";
    ::DestroyWindow(plain);
}

} // namespace
