// The dialog procedure's contracts (binding, notification results, exceptions) and dialog
// data exchange, driven through real dialogs on the test's own template.
#include "framework/data_exchange.h"
#include "framework/dialog.h"

#include "message_pump.h"
#include "framework_test_resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr UINT WM_TEST_STEP = WM_APP + 1;

// A dialog on the test template that runs `step` once, on a message posted from
// OnInitDialog, that is from inside the running modal loop.
class ScriptedDialog : public CDialog {
public:
    ScriptedDialog() : CDialog(IDD_FRAMEWORK_TEST) {}

    std::function<void(ScriptedDialog&)> step;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CDialog::OnInitDialog();
        ::PostMessageW(m_hWnd, WM_TEST_STEP, 0, 0);
        return result;
    }
    INT_PTR WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TEST_STEP) {
            if (step) {
                step(*this);
            }
            return TRUE;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

// Messages the dialog procedure hands to an object, with the binding seen at the time.
struct SeenMessage {
    UINT message;
    HWND window;
    LONG_PTR user;
};

class RecordingDialog : public ScriptedDialog {
public:
    std::vector<SeenMessage> seen;

protected:
    INT_PTR WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back({message, m_hWnd, ::GetWindowLongPtrW(m_hWnd, DWLP_USER)});
        return ScriptedDialog::WindowProc(message, wParam, lParam);
    }
};

// Every message sent to any window of the thread, as the system delivers it.
std::vector<SeenMessage> g_sent;

LRESULT CALLBACK RecordSent(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        g_sent.push_back({sent->message, sent->hwnd, 0});
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(DialogProcedure, BindsTheObjectFromInitDialogUntilNcDestroy) {
    g_sent.clear();
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &RecordSent, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);

    RecordingDialog dialog;
    HWND window = nullptr;
    dialog.step = [&window](ScriptedDialog& d) {
        window = d.m_hWnd;
        d.EndDialog(7);
    };
    EXPECT_EQ(7, dialog.DoModal());
    ::UnhookWindowsHookEx(hook);

    ASSERT_NE(nullptr, window);
    EXPECT_EQ(nullptr, dialog.m_hWnd) << "binding not cleared at WM_NCDESTROY";
    ASSERT_FALSE(dialog.seen.empty());
    EXPECT_EQ(static_cast<UINT>(WM_INITDIALOG), dialog.seen.front().message);
    EXPECT_EQ(static_cast<UINT>(WM_NCDESTROY), dialog.seen.back().message);
    for (const SeenMessage& m : dialog.seen) {
        SCOPED_TRACE(testing::Message() << "message 0x" << std::hex << m.message);
        EXPECT_EQ(window, m.window);
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(&dialog), m.user);
    }

    // The dialog got WM_SETFONT before WM_INITDIALOG; the object must not have seen it.
    bool setFontBeforeInit = false;
    for (const SeenMessage& m : g_sent) {
        if (m.window != window) {
            continue;
        }
        if (m.message == WM_INITDIALOG) {
            break;
        }
        setFontBeforeInit = setFontBeforeInit || m.message == WM_SETFONT;
    }
    EXPECT_TRUE(setFontBeforeInit) << "the template's font message did not arrive first";
    for (const SeenMessage& m : dialog.seen) {
        EXPECT_NE(static_cast<UINT>(WM_SETFONT), m.message) << "seen before the binding";
    }
}

constexpr UINT kAnswer = 1;
constexpr UINT kAnswerNested = 2;
constexpr UINT kIgnored = 3;
constexpr UINT kThrow = 4;
constexpr UINT kTestControlId = 1234;

// Answers notifications by code; kAnswerNested first sends itself another notification,
// whose own answer must not leak into the outer one.
class NotifyDialog : public CDialog {
public:
    NotifyDialog() : CDialog(IDD_FRAMEWORK_TEST) {}

    LRESULT answer = 0;
    int handled = 0;

protected:
    bool OnNotify(UINT id, NMHDR* header, LRESULT& result) override {
        if (id != kTestControlId) {
            return false;
        }
        switch (header->code) {
        case kAnswer:
            ++handled;
            result = answer;
            return true;
        case kAnswerNested: {
            NMHDR inner{nullptr, kTestControlId, kAnswer};
            const LRESULT saved = answer;
            answer = 7;
            SendMessage(WM_NOTIFY, kTestControlId, reinterpret_cast<LPARAM>(&inner));
            answer = saved;
            result = answer;
            return true;
        }
        case kThrow:
            throw std::runtime_error("handler failed");
        default:
            return false;
        }
    }
};

LRESULT SendNotify(HWND window, UINT code) {
    NMHDR header{nullptr, kTestControlId, code};
    return ::SendMessageW(window, WM_NOTIFY, kTestControlId, reinterpret_cast<LPARAM>(&header));
}

TEST(DialogProcedure, NotificationResultGoesOutThroughMsgResult) {
    struct Case {
        const char* name;
        UINT code;
        LRESULT answer;
        LRESULT expected;
    } const cases[] = {
        {"positive", kAnswer, 0x1234, 0x1234},
        {"beyond 32 bits", kAnswer, static_cast<LRESULT>(0x123456789AB), 0x123456789AB},
        {"negative", kAnswer, -5, -5},
        {"zero after a nonzero answer", kAnswer, 0, 0},
        {"nested notification answers 7 first", kAnswerNested, 42, 42},
        {"not handled", kIgnored, 99, 0},
    };
    NotifyDialog dialog;
    ASSERT_TRUE(dialog.Create());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.answer = c.answer;
        EXPECT_EQ(c.expected, SendNotify(dialog, c.code));
    }
    // Sent by a stranger without a header: ignored, no handler runs, the window lives on.
    const int handled = dialog.handled;
    EXPECT_EQ(0, ::SendMessageW(dialog, WM_NOTIFY, kTestControlId, 0));
    EXPECT_EQ(handled, dialog.handled);
    EXPECT_TRUE(::IsWindow(dialog));
    ::DestroyWindow(dialog);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

// Throws from the handler named by `where`, with a std exception or anything else.
class ThrowingDialog : public ScriptedDialog {
public:
    enum class Where { InitDialog, Command };
    Where where = Where::InitDialog;
    bool throwStd = true;
    bool threw = false;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = ScriptedDialog::OnInitDialog();
        if (where == Where::InitDialog) {
            Throw();
        }
        ::PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_TEST_EDIT, BN_CLICKED), 0);
        return result;
    }
    bool OnCommand(UINT id, UINT code, HWND control) override {
        if (id == IDC_TEST_EDIT) {
            Throw();
        }
        return ScriptedDialog::OnCommand(id, code, control);
    }

private:
    void Throw() {
        threw = true;
        if (throwStd) {
            throw std::runtime_error("handler failed");
        }
        throw 42;
    }
};

TEST(DialogProcedure, ExceptionEndsAModalDialogWithMinusOne) {
    const struct Case {
        const char* name;
        ThrowingDialog::Where where;
        bool throwStd;
    } cases[] = {
        {"std exception in OnInitDialog", ThrowingDialog::Where::InitDialog, true},
        {"other exception in OnInitDialog", ThrowingDialog::Where::InitDialog, false},
        {"std exception in OnCommand", ThrowingDialog::Where::Command, true},
        {"other exception in OnCommand", ThrowingDialog::Where::Command, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ThrowingDialog dialog;
        dialog.where = c.where;
        dialog.throwStd = c.throwStd;
        // Should the dialog survive, the step ends it with a value the test tells apart.
        dialog.step = [](ScriptedDialog& d) { d.EndDialog(IDABORT); };
        EXPECT_EQ(-1, dialog.DoModal());
        EXPECT_TRUE(dialog.threw) << "the dialog was never created";
        EXPECT_EQ(nullptr, dialog.m_hWnd);
        test_pump::PumpPending();
    }
}

TEST(DialogProcedure, ExceptionLeavesAModelessDialogRunning) {
    NotifyDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.answer = 5;
    EXPECT_EQ(0, SendNotify(dialog, kThrow));
    EXPECT_TRUE(::IsWindow(dialog));
    EXPECT_EQ(5, SendNotify(dialog, kAnswer)) << "the dialog stopped answering after a throw";
    ::DestroyWindow(dialog);
}

// Binds the three kinds of exchange to the test template.
class ExchangeDialog : public ScriptedDialog {
public:
    std::wstring m_strText;
    int m_nCheck = 0;
    CWnd m_label;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, IDC_TEST_EDIT, m_strText);
        DDX_Check(pDX, IDC_TEST_CHECK, m_nCheck);
        DDX_Control(pDX, IDC_TEST_LABEL, m_label);
    }
};

std::wstring WindowText(HWND window) {
    wchar_t text[8192] = {};
    ::GetWindowTextW(window, text, 8192);
    return text;
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
        {"beyond the basic plane", L"\u00fcn\u00efc\u00f6d\u00e9 \u20ac", BST_INDETERMINATE,
         L"\U0001F600 face", BST_CHECKED},
        {"long text", longText, BST_UNCHECKED, longText + L"y", BST_INDETERMINATE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExchangeDialog dialog;
        dialog.m_strText = c.initialText;
        dialog.m_nCheck = c.initialCheck;
        std::wstring shownText;
        LRESULT shownCheck = -1;
        dialog.step = [&](ScriptedDialog& d) {
            shownText = WindowText(d.GetDlgItem(IDC_TEST_EDIT));
            shownCheck = ::SendMessageW(d.GetDlgItem(IDC_TEST_CHECK), BM_GETCHECK, 0, 0);
            ::SetWindowTextW(d.GetDlgItem(IDC_TEST_EDIT), c.typedText.c_str());
            ::SendMessageW(d.GetDlgItem(IDC_TEST_CHECK), BM_SETCHECK, c.clickedCheck, 0);
            ::PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        };
        EXPECT_EQ(IDOK, dialog.DoModal());
        EXPECT_EQ(c.initialText, shownText) << "members not written to the controls at start";
        EXPECT_EQ(c.initialCheck, shownCheck);
        EXPECT_EQ(c.typedText, dialog.m_strText) << "controls not read back on OK";
        EXPECT_EQ(c.clickedCheck, dialog.m_nCheck);
    }
}

TEST(DataExchange, ControlIsBoundOnceAndStaysBound) {
    ExchangeDialog dialog;
    HWND label = nullptr;
    HWND boundAtStart = nullptr;
    HWND boundAfterAgain = nullptr;
    dialog.step = [&](ScriptedDialog& d) {
        auto& exchange = static_cast<ExchangeDialog&>(d);
        label = d.GetDlgItem(IDC_TEST_LABEL);
        boundAtStart = exchange.m_label.m_hWnd;
        d.UpdateData(false);
        d.UpdateData(true);
        boundAfterAgain = exchange.m_label.m_hWnd;
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
    ASSERT_NE(nullptr, label);
    EXPECT_EQ(label, boundAtStart);
    EXPECT_EQ(label, boundAfterAgain);

    // A wrapper that already holds a window is not bound anew.
    ExchangeDialog prebound;
    HWND elsewhere = ::GetDesktopWindow();
    ASSERT_TRUE(prebound.m_label.Attach(elsewhere));
    prebound.step = [](ScriptedDialog& d) { d.EndDialog(IDOK); };
    EXPECT_EQ(IDOK, prebound.DoModal());
    EXPECT_EQ(elsewhere, prebound.m_label.Detach());
}

} // namespace
