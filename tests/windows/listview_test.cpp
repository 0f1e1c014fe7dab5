// The device list driven in-process on a dialog of the test's own: heading clicks sent to the
// real header, the rows' texts as the owner-data list shows them, the selection through a
// sort, saved widths from a profile file, and destruction.
#include "listview/sort_list_ctrl.h"

#include "framework/data_exchange.h"
#include "framework/dialog.h"
#include "framework/win_app.h"
#include "listview/list_selection.h"

#include "message_pump.h"
#include "windows_test_resource.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using discovery::kAddressColumn, discovery::kHttpPortColumn;
using discovery::kColumnCount, discovery::kIndexColumn;
using Texts = std::vector<std::wstring>;

const std::vector<int> kInsertedWidths = {50, 150, 100, 100, 80, 80, 150};

// Hosts the list as the main window does.
class ListHostDialog : public CDialog {
public:
    ListHostDialog() : CDialog(IDD_LISTVIEW_TEST) {}

    CSortListCtrl m_list;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_TEST_DEVICE_LIST, m_list);
    }
    BOOL OnInitDialog() override {
        const BOOL result = CDialog::OnInitDialog();
        for (int i = 0; i < kColumnCount; ++i) {
            m_list.InsertColumn(i, L"heading", LVCFMT_LEFT, kInsertedWidths[i]);
        }
        m_list.LoadColumnWidths();
        return result;
    }
};

// A user's click at the middle of the heading (LVN_COLUMNCLICK goes to the parent and back).
void ClickHeading(HWND list, int column) {
    const HWND header = ListView_GetHeader(list);
    RECT rect{};
    ASSERT_TRUE(Header_GetItemRect(header, column, &rect));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(header, WM_LBUTTONUP, 0, at);
    test_pump::PumpPending();
}

class SortListTest : public testing::Test {
protected:
    SortListTest() {
        m_app.m_strProfilePath = (std::filesystem::temp_directory_path() / L"list.ini").wstring();
    }
    void TearDown() override {
        ::DestroyWindow(m_host);
        ::DeleteFileW(m_app.m_strProfilePath.c_str());
    }

    // Rows of these addresses, with the other texts given by `other` (HTTP port and model).
    void Add(const Texts& addresses, const Texts& other = {}) {
        for (std::size_t i = 0; i < addresses.size(); ++i) {
            const std::wstring& text = i < other.size() ? other[i] : L"1";
            list.Rows().AppendDeviceRow(
                {std::to_wstring(i + 1), text, L"name", addresses[i], text, L"554", L"M"});
        }
        list.ShowNewRows();
    }
    // A column as the list shows it, read through the list view.
    Texts Column(int column) const {
        Texts texts;
        for (int row = 0; row < list.GetItemCount(); ++row) {
            texts.push_back(list.GetItemText(row, column));
        }
        return texts;
    }

    CWinApp m_app;
    ListHostDialog m_host;
    CSortListCtrl& list = m_host.m_list;
};

TEST_F(SortListTest, HeadingClicksSortAndMoveTheArrowAndTheSelection) {
    ASSERT_TRUE(m_host.Create());
    Add({L"192.168.1.100", L"192.168.1.20", L"10.0.0.5", L"9.0.0.1"},
        {L"80", L"8080", L"81", L"9"});
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED); // 10.0.0.5
    const Texts up = {L"9.0.0.1", L"10.0.0.5", L"192.168.1.20", L"192.168.1.100"};
    const struct Step {
        const char* name;
        int column;
        Texts texts; // of the clicked column, top to bottom
        int arrow;
    } steps[] = {
        {"address: ascending by value", kAddressColumn, up, HDF_SORTUP},
        {"address again: descending", kAddressColumn, {up.rbegin(), up.rend()}, HDF_SORTDOWN},
        {"the arrow moves", kHttpPortColumn, {L"80", L"8080", L"81", L"9"}, HDF_SORTUP},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        ClickHeading(list, step.column);
        EXPECT_EQ(step.texts, Column(step.column));
        for (int column = 0; column < kColumnCount; ++column) {
            HDITEMW heading{};
            heading.mask = HDI_FORMAT;
            Header_GetItem(list.GetHeaderCtrl(), column, &heading);
            EXPECT_EQ(column == step.column ? step.arrow : 0,
                      heading.fmt & (HDF_SORTUP | HDF_SORTDOWN))
                << "arrow of column " << column;
        }
        const std::vector<int> selected = listview::SelectedRows(list);
        ASSERT_EQ(1u, selected.size());
        EXPECT_EQ(L"10.0.0.5", list.GetItemText(selected[0], kAddressColumn));
    }
}

TEST_F(SortListTest, TextsOfAnyLengthReadWholeAndTheRowsGoWithTheWindow) {
    ASSERT_TRUE(m_host.Create());
    // Texts as long as the first read buffer (64) and longer come back whole.
    const std::size_t lengths[] = {0, 63, 64, 65, 200};
    for (const std::size_t length : lengths) {
        list.Rows().AppendDeviceRow({L"", L"", std::wstring(length, L'n')});
    }
    list.ShowNewRows();
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(std::wstring(lengths[row], L'n'), list.GetItemText(row, 2))
            << lengths[row] << " characters";
    }
    list.ClearDeviceRows();
    EXPECT_EQ(0, list.GetItemCount());
    Add({L"10.0.0.3"});
    // The rows go with the window, after which the wrappers let go of their windows.
    ::DestroyWindow(m_host);
    EXPECT_EQ(0, list.Rows().Count());
    EXPECT_EQ(nullptr, list.m_hWnd);
    EXPECT_EQ(nullptr, list.m_ctlHeader.m_hWnd);
}

// Fields as the profile holds binary values: little-endian int32s (all below 256 here) as hex
// digit pairs.
std::wstring Hex(std::initializer_list<int> fields) {
    std::wstring text;
    for (const int field : fields) {
        wchar_t bytes[9];
        swprintf(bytes, 9, L"%02X000000", field);
        text += bytes;
    }
    return text;
}

TEST_F(SortListTest, SavedWidthsApplyOnlyWhenWholeAndMatching) {
    const std::vector<int> saved = {60, 170, 110, 120, 90, 70, 200};
    const std::wstring seven = Hex({7, 60, 170, 110, 120, 90, 70, 200});
    const struct Case {
        const char* name;
        std::wstring value; // of the list's entry (its id, 1000); empty: no profile file
        const std::vector<int>& expected;
    } cases[] = {
        {"no profile", L"", kInsertedWidths},
        {"seven widths for seven columns", seven, saved},
        {"six for seven", Hex({6, 60, 170, 110, 120, 90, 70}), kInsertedWidths},
        {"the last width cut short", seven.substr(0, 60), kInsertedWidths},
        {"a long tail read whole", seven + std::wstring(40000, L'0'), saved},
        {"longer than a value may be", seven + std::wstring(70000, L'0'), kInsertedWidths},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::DestroyWindow(m_host);
        ::DeleteFileW(m_app.m_strProfilePath.c_str());
        if (!c.value.empty()) {
            ASSERT_TRUE(::WritePrivateProfileStringW(L"ListCtrls", L"1000", c.value.c_str(),
                                                     m_app.m_strProfilePath.c_str()));
        }
        ASSERT_TRUE(m_host.Create());
        std::vector<int> widths;
        for (int i = 0; i < kColumnCount; ++i) {
            widths.push_back(list.GetColumnWidth(i));
        }
        EXPECT_EQ(c.expected, widths);
    }
}

} // namespace
