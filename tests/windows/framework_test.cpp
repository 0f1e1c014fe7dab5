// The dialog procedure's contracts (binding, notification results, exceptions) and dialog
// data exchange, driven through real dialogs on the tests' own template.
#include "framework/data_exchange.h"
#include "framework/dialog.h"

#include "windows_test_resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

constexpr UINT WM_TEST_STEP = WM_APP + 1;
constexpr UINT kAnswer = 1, kAnswerNested = 2, kIgnored = 3, kThrow = 4;

// Runs `step` from inside the running modal loop; answers notifications by code, where
// kAnswerNested first sends itself one answered 7, which must not leak into its own answer.
class ScriptedDialog : public CDialog {
public:
    ScriptedDialog() : CDialog(IDD_FRAMEWORK_TEST) {}

    std::function<void(ScriptedDialog&)> step;
    LRESULT answer = 0;
    std::wstring m_strText;
    int m_nCheck = 0;

protected:
    BOOL OnInitDialog() override {
        ::PostMessageW(m_hWnd, WM_TEST_STEP, 0, 0);
        return CDialog::OnInitDialog();
    }
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        // Bound from WM_INITDIALOG on: the template's WM_SETFONT before it must not come here.
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(this), ::GetWindowLongPtrW(m_hWnd, DWLP_USER));
        if (message != WM_TEST_STEP) {
            return CDialog::OnMessage(message, wParam, lParam);
        }
        step(*this);
        return TRUE;
    }
    bool OnNotify(UINT, NMHDR* header, LRESULT& result) override {
        if (header->code == kAnswerNested) {
            const LRESULT outer = std::exchange(answer, 7);
            NMHDR inner{nullptr, 0, kAnswer};
            SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&inner));
            answer = outer;
        } else if (header->code == kThrow) {
            throw std::runtime_error("handler failed");
        }
        result = answer;
        return header->code != kIgnored;
    }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, IDC_TEST_EDIT, m_strText);
        DDX_Check(pDX, IDC_TEST_CHECK, m_nCheck);
    }
};

TEST(DialogProcedure, NotificationResultGoesOutThroughMsgResult) {
    const struct Case {
        const char* name;
        UINT code;
        LRESULT answer, expected;
    } cases[] = {
        {"beyond 32 bits", kAnswer, 0x123456789AB, 0x123456789AB},
        {"negative", kAnswer, -5, -5},
        {"nested notification", kAnswerNested, 42, 42},
        {"not handled", kIgnored, 99, 0},
        {"a throwing handler leaves a modeless dialog running", kThrow, 5, 0},
        {"and it answers again", kAnswer, 5, 5},
    };
    ScriptedDialog dialog;
    dialog.step = [](ScriptedDialog&) {};
    ASSERT_TRUE(dialog.Create());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.answer = c.answer;
        NMHDR header{nullptr, 0, c.code};
        EXPECT_EQ(c.expected,
                  ::SendMessageW(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)));
    }
    // Any program may send one without a header: it is ignored, not read.
    EXPECT_EQ(0, ::SendMessageW(dialog, WM_NOTIFY, 0, 0));
    ::DestroyWindow(dialog);
    EXPECT_EQ(nullptr, dialog.m_hWnd) << "binding not cleared at WM_NCDESTROY";
}

TEST(DialogProcedure, AnExceptionEndsAModalDialogWithMinusOne) {
    ScriptedDialog dialog;
    dialog.step = [](ScriptedDialog&) { throw 42; };
    EXPECT_EQ(-1, dialog.DoModal());
}

TEST(DataExchange, MovesTextsAndChecksBothWays) {
    const std::wstring longText(5000, L'x');
    const struct Case {
        const char* name;
        std::wstring initialText;
        int initialCheck;
        std::wstring typedText;
        int clickedCheck;
    } cases[] = {
        {"empty to text", L"", BST_UNCHECKED, L"plain", BST_CHECKED},
        {"text to empty", L"plain", BST_CHECKED, L"", BST_UNCHECKED},
        {"long text beyond the basic plane", longText, BST_INDETERMINATE, longText + L"\U0001F600",
         BST_CHECKED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialog dialog;
        dialog.m_strText = c.initialText;
        dialog.m_nCheck = c.initialCheck;
        dialog.step = [&c](ScriptedDialog& d) {
            wchar_t shown[6000] = {};
            ::GetDlgItemTextW(d, IDC_TEST_EDIT, shown, 6000);
            EXPECT_EQ(c.initialText, shown) << "members not written to the controls at start";
            EXPECT_EQ(c.initialCheck, static_cast<int>(::IsDlgButtonChecked(d, IDC_TEST_CHECK)));
            ::SetDlgItemTextW(d, IDC_TEST_EDIT, c.typedText.c_str());
            ::CheckDlgButton(d, IDC_TEST_CHECK, c.clickedCheck);
            ::PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        };
        EXPECT_EQ(IDOK, dialog.DoModal());
        EXPECT_EQ(c.typedText, dialog.m_strText) << "controls not read back on OK";
        EXPECT_EQ(c.clickedCheck, dialog.m_nCheck);
    }
}

} // namespace
