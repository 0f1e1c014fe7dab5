// The program's resources as the windows and the text lookup find them: the three dialog
// templates, the built-in string table, the icon and the manifest.
#include "resources/resource.h"

#include "app_dialog_template.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using app_test::DialogItemTemplate;
using app_test::DialogTemplate;
using app_test::LoadDialogTemplate;

struct ExpectedItem {
    DWORD id;
    const wchar_t* className;
    const wchar_t* text;
    short x, y, cx, cy;
    DWORD required;  // style bits that must be set
    DWORD forbidden; // style bits that must be clear
};

bool SameClass(const std::wstring& a, const wchar_t* b) {
    return ::lstrcmpiW(a.c_str(), b) == 0;
}

// Compares the controls in template order, which is also their tab order.
void ExpectItems(const DialogTemplate& dialog, std::initializer_list<ExpectedItem> expected) {
    ASSERT_EQ(expected.size(), dialog.items.size()) << "number of controls";
    std::size_t i = 0;
    for (const ExpectedItem& e : expected) {
        const DialogItemTemplate& item = dialog.items[i++];
        SCOPED_TRACE(testing::Message() << "control " << e.id << " at position " << i - 1);
        EXPECT_EQ(e.id, item.id);
        EXPECT_TRUE(SameClass(item.className, e.className))
            << "class " << item.className << ", expected " << e.className;
        EXPECT_EQ(std::wstring(e.text), item.text);
        EXPECT_EQ(e.x, item.x);
        EXPECT_EQ(e.y, item.y);
        EXPECT_EQ(e.cx, item.cx);
        EXPECT_EQ(e.cy, item.cy);
        EXPECT_EQ(e.required | WS_CHILD, item.style & (e.required | WS_CHILD))
            << std::hex << "style 0x" << item.style;
        EXPECT_EQ(0u, item.style & e.forbidden) << std::hex << "style 0x" << item.style;
    }
}

// A plain push button has type 0: any type bit makes it another kind (or the default one).
constexpr DWORD kPush = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kNotPush = BS_TYPEMASK;
// BS_AUTOCHECKBOX is type 3; with either of the upper type bits it would be another kind.
constexpr DWORD kAutoCheck = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kNotAutoCheck = BS_TYPEMASK & ~DWORD(BS_AUTOCHECKBOX);
// Report view is type 1 of the list view's two type bits.
constexpr DWORD kNotReport = LVS_SMALLICON;
constexpr DWORD kText = WS_VISIBLE | SS_LEFT;

TEST(Resources, MainWindowTemplate) {
    const auto dialog = LoadDialogTemplate(IDD_SEARCH_DIALOG);
    ASSERT_TRUE(dialog.has_value());
    EXPECT_EQ(500, dialog->cx);
    EXPECT_EQ(452, dialog->cy);
    EXPECT_EQ(L"Search", dialog->caption);
    EXPECT_EQ(L"MS Sans Serif", dialog->typeface);
    EXPECT_EQ(8, dialog->pointSize);
    EXPECT_EQ(DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU),
              dialog->style & (WS_POPUP | WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(0u, dialog->style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD))
        << "resizable, or with a minimise box";
    EXPECT_EQ(DWORD(WS_EX_APPWINDOW), dialog->exStyle & WS_EX_APPWINDOW) << "not in task bar";
    // The two push buttons with the visible style, and Open Web created without it; none is
    // the default button, so that Enter reaches the window as IDOK wherever the focus is.
    ExpectItems(
        *dialog,
        {
            {IDC_DEVICE_LIST, WC_LISTVIEWW, L"", 5, 7, 491, 161,
             WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER, LVS_SINGLESEL | kNotReport},
            {IDC_SEARCH, L"Button", L"Search", 191, 175, 50, 14, kPush, kNotPush},
            {IDC_ADD, L"Button", L"Add", 255, 175, 50, 14, kPush, kNotPush},
            {IDC_OPEN_WEB, L"Button", L"Open Web", 7, 173, 50, 14, WS_TABSTOP,
             WS_VISIBLE | kNotPush},
            {IDC_PAGE_TABS, WC_TABCONTROLW, L"", 27, 225, 73, 55, WS_VISIBLE, TCS_FIXEDWIDTH},
        });
}

std::wstring LoadBuiltInString(UINT id) {
    wchar_t text[1024] = {};
    const int length = ::LoadStringW(::GetModuleHandleW(nullptr), id, text, 1024);
    return std::wstring(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

TEST(Resources, BuiltInStringTable) {
    const struct {
        UINT id;
        const wchar_t* text;
    } strings[] = {
        {IDS_COLUMN_INDEX, L"Index"},
        {IDS_COLUMN_MODEL, L"Model"},
        {IDS_COLUMN_DEVICE_NAME, L"Device Name"},
        {IDS_COLUMN_HTTP_PORT, L"HTTP Port"},
        {IDS_COLUMN_RTSP_PORT, L"RTSP Port"},
        {IDS_COLUMN_MAC, L"MAC"},
        {IDS_ADDRESS_AVAILABLE, L"This IP address is available!"},
        {IDS_ADDRESS_IN_USE, L"Warnning!! This IP address is  existend!"},
        {IDS_GATEWAY_OTHER_SEGMENT,
         L"IP address and gate way are not in the same network segment! are you sure modify?"},
        {IDS_INVALID_ADDRESS, L"Invalidate IP address"},
        {IDS_TAB_IP_CONFIG, L"IP Address Configuration"},
        {IDS_TAB_WIFI_CONFIG, L"Wifi Configuration"},
    };
    for (const auto& s : strings) {
        SCOPED_TRACE(testing::Message() << "string " << s.id);
        EXPECT_EQ(std::wstring(s.text), LoadBuiltInString(s.id));
    }
    // The ids around the table have no text: a lookup there must fall through to "none".
    EXPECT_EQ(L"", LoadBuiltInString(128));
    EXPECT_EQ(L"", LoadBuiltInString(141));
}

#pragma pack(push, 2)
struct IconDirectoryEntry {
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(Resources, IconHasSmallLargeAndExtraLargeImagesInFullColour) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC group = ::FindResourceW(module, MAKEINTRESOURCEW(IDI_SEARCH), RT_GROUP_ICON);
    ASSERT_NE(nullptr, group);
    const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, group)));
    ASSERT_NE(nullptr, data);
    WORD count = 0;
    std::memcpy(&count, data + 4, sizeof count);
    ASSERT_EQ(3, count);
    ASSERT_GE(::SizeofResource(module, group), 6 + count * sizeof(IconDirectoryEntry));
    const int sizes[] = {16, 32, 48};
    for (int i = 0; i < count; ++i) {
        IconDirectoryEntry entry;
        std::memcpy(&entry, data + 6 + i * sizeof entry, sizeof entry);
        SCOPED_TRACE(testing::Message() << "image " << i);
        EXPECT_EQ(sizes[i], entry.width);
        EXPECT_EQ(sizes[i], entry.height);
        EXPECT_EQ(32, entry.bitCount);
        EXPECT_NE(nullptr, ::FindResourceW(module, MAKEINTRESOURCEW(entry.id), RT_ICON));
    }
    EXPECT_NE(nullptr, ::LoadIconW(module, MAKEINTRESOURCEW(IDI_SEARCH)));
}

TEST(Resources, ManifestSelectsCommonControlsVersionSix) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    ASSERT_NE(nullptr, found);
    const auto* text = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
    ASSERT_NE(nullptr, text);
    const std::string manifest(text, ::SizeofResource(module, found));
    EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\""));
    EXPECT_NE(std::string::npos, manifest.find("version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, manifest.find("processorArchitecture=\"amd64\""));
    EXPECT_NE(std::string::npos, manifest.find("publicKeyToken=\"6595b64144ccf1df\""));

    // The loader honoured it: the process's activation context redirects the common
    // controls library and its window classes to the version-6 assembly.
    ACTCTX_SECTION_KEYED_DATA library{};
    library.cbSize = sizeof library;
    EXPECT_TRUE(::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                           L"comctl32.dll", &library))
        << "error " << ::GetLastError();
    ACTCTX_SECTION_KEYED_DATA listClass{};
    listClass.cbSize = sizeof listClass;
    EXPECT_TRUE(::FindActCtxSectionStringW(
        0, nullptr, ACTIVATION_CONTEXT_SECTION_WINDOW_CLASS_REDIRECTION, WC_LISTVIEWW, &listClass))
        << "error " << ::GetLastError();
}

} // namespace
