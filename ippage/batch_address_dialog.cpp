// CBatchAddressDialog: the form and its preview, the whole-plan check, and the timer that sends
// one request per tick, waits for the devices to settle, searches again and reports.
#include "ippage/batch_address_dialog.h"

#include "discovery/device_texts.h"
#include "discovery/ip_text.h"
#include "framework/center_window.h"
#include "framework/data_exchange.h"
#include "i18n/language.h"
#include "i18n/ui_text.h"
#include "resources/resource.h"

#include <algorithm>

namespace {

// The controls whose captions come from the string table; 0 is the dialog's own caption.
constexpr struct {
    int control;
    UINT text;
} kCaptions[] = {
    {0, IDS_BATCH_TITLE},
    {IDC_BATCH_FIRST_LABEL, IDS_BATCH_FIRST},
    {IDC_BATCH_MASK_LABEL, IDS_BATCH_MASK},
    {IDC_BATCH_GATEWAY_LABEL, IDS_BATCH_GATEWAY},
    {IDC_BATCH_STEP_LABEL, IDS_BATCH_STEP},
    {IDC_BATCH_DHCP, IDS_BATCH_USE_DHCP},
    {IDOK, IDS_BATCH_OK},
    {IDCANCEL, IDS_BATCH_CANCEL},
};

constexpr int kFormFields[] = {IDC_BATCH_FIRST, IDC_BATCH_MASK, IDC_BATCH_GATEWAY, IDC_BATCH_STEP};
constexpr int kNewAddressColumn = 2;
constexpr UINT_PTR kTimer = 1;
// Sends go out one per tick, so that the window paints between them; each blocks for its
// burst's pauses.
constexpr UINT kSendTickMs = USER_TIMER_MINIMUM;

} // namespace

CBatchAddressDialog::CBatchAddressDialog(CWnd* owner, std::vector<ippage::BatchDevice> devices,
                                         BatchServices services)
    : CDialog(IDD_BATCH_ADDRESS, owner), m_dwSubnetMask(discovery::ParseIPv4Text(L"255.255.255.0")),
      m_devices(std::move(devices)), m_services(std::move(services)) {}

INT_PTR CBatchAddressDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kTimer) {
        OnTimer();
        return TRUE;
    }
    return CDialog::OnMessage(message, wParam, lParam);
}

BOOL CBatchAddressDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetTexts();
    SetUpPreview();
    m_bFormReady = true;
    OnFormChange();
    CenterWindow(m_hWnd);
    // The first tab stop, the first new address, takes the focus.
    return TRUE;
}

void CBatchAddressDialog::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BATCH_PREVIEW, m_lstPreview);
    DDX_IPAddress(pDX, IDC_BATCH_FIRST, m_dwFirstIP);
    DDX_IPAddress(pDX, IDC_BATCH_MASK, m_dwSubnetMask);
    DDX_IPAddress(pDX, IDC_BATCH_GATEWAY, m_dwGateway);
    DDX_Text(pDX, IDC_BATCH_STEP, m_strStep);
    DDX_Check(pDX, IDC_BATCH_DHCP, m_bUseDHCP);
}

// An address field passes its fields' EN_CHANGE on under its own id.
bool CBatchAddressDialog::OnCommand(UINT id, UINT code, HWND control) {
    const bool field =
        std::find(std::begin(kFormFields), std::end(kFormFields), id) != std::end(kFormFields);
    if ((field && code == EN_CHANGE) || (id == IDC_BATCH_DHCP && code == BN_CLICKED)) {
        OnFormChange();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

void CBatchAddressDialog::OnOK() {
    if (m_stage != Stage::kEditing) {
        return;
    }
    UpdateData(true);
    std::optional<std::vector<ippage::PlannedChange>> changes = ippage::BuildBatchPlan(
        m_devices, {m_dwFirstIP, m_dwSubnetMask, m_dwGateway, m_strStep, m_bUseDHCP != 0});
    if (!changes) {
        Report(i18n::UiString(IDS_BATCH_INCOMPLETE));
        return;
    }
    std::vector<ippage::AnsweringDevice> before = m_services.answeringDevices();
    ippage::CheckedPlan plan = ippage::CheckPlan(*changes, before, false);
    // A gateway in another segment is the operator's to allow, as on the IP page, once it is
    // all that stands in the way.
    if (!plan.conflicts.empty() &&
        std::all_of(plan.conflicts.begin(), plan.conflicts.end(), [](const auto& conflict) {
            return conflict.kind == ippage::ConflictKind::kGatewayOtherSegment;
        })) {
        if (m_services.messageBox(m_hWnd, i18n::UiString(IDS_GATEWAY_OTHER_SEGMENT),
                                  MB_OKCANCEL | MB_ICONWARNING) != IDOK) {
            return;
        }
        plan = ippage::CheckPlan(*changes, before, true);
    }
    if (!plan.conflicts.empty()) {
        std::wstring text = i18n::UiString(IDS_BATCH_NOTHING_SENT);
        for (const ippage::Conflict& conflict : plan.conflicts) {
            text += L"\r\n" + ippage::ConflictLine(conflict, *changes, before, &i18n::UiString);
        }
        Report(text);
        return;
    }
    m_changes = std::move(*changes);
    m_requests = std::move(plan.requests);
    m_before = std::move(before);
    StartSending();
}

void CBatchAddressDialog::OnCancel() {
    if (m_stage != Stage::kSending) {
        CDialog::OnCancel();
    }
}

void CBatchAddressDialog::SetTexts() {
    for (const auto& caption : kCaptions) {
        const HWND window = caption.control == 0 ? m_hWnd : GetDlgItem(caption.control);
        ::SetWindowTextW(window, i18n::UiString(caption.text).c_str());
    }
    // The texts are the string table's; a language file gives its font as it does to the
    // main window's controls.
    if (!i18n::languageFilePath().empty()) {
        ::EnumChildWindows(m_hWnd, &i18n::TranslateControl, 0);
    }
}

void CBatchAddressDialog::SetUpPreview() {
    m_lstPreview.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_lstPreview.InsertColumn(0, i18n::UiString(IDS_BATCH_COLUMN_CURRENT).c_str(), LVCFMT_LEFT,
                              120);
    m_lstPreview.InsertColumn(1, i18n::UiString(IDS_COLUMN_MAC).c_str(), LVCFMT_LEFT, 150);
    m_lstPreview.InsertColumn(kNewAddressColumn, i18n::UiString(IDS_BATCH_COLUMN_NEW).c_str(),
                              LVCFMT_LEFT, 110);
    for (const ippage::BatchDevice& device : m_devices) {
        const int row =
            m_lstPreview.InsertItem(m_lstPreview.GetItemCount(), device.address.c_str());
        m_lstPreview.SetItemText(row, 1, discovery::MacsText(device.macs).c_str());
    }
}

void CBatchAddressDialog::OnFormChange() {
    if (!m_bFormReady || m_stage != Stage::kEditing) {
        return;
    }
    UpdateData(true);
    const std::optional<std::vector<ippage::PlannedChange>> changes = ippage::BuildBatchPlan(
        m_devices, {m_dwFirstIP, m_dwSubnetMask, m_dwGateway, m_strStep, m_bUseDHCP != 0});
    for (int row = 0; row < static_cast<int>(m_devices.size()); ++row) {
        const std::wstring text =
            changes
                ? ippage::NewAddressText((*changes)[static_cast<std::size_t>(row)], &i18n::UiString)
                : std::wstring();
        m_lstPreview.SetItemText(row, kNewAddressColumn, text.c_str());
    }
    for (const int id : kFormFields) {
        ::EnableWindow(GetDlgItem(id), m_bUseDHCP == 0);
    }
    Report({});
}

// From here on the form is spent: OK does nothing more, and Cancel, the default button now,
// reads Close.
void CBatchAddressDialog::StartSending() {
    m_stage = Stage::kSending;
    for (const int id : kFormFields) {
        ::EnableWindow(GetDlgItem(id), FALSE);
    }
    ::EnableWindow(GetDlgItem(IDC_BATCH_DHCP), FALSE);
    ::EnableWindow(GetDlgItem(IDOK), FALSE);
    ::SetWindowTextW(GetDlgItem(IDCANCEL), i18n::UiString(IDS_BATCH_CLOSE).c_str());
    SendMessage(DM_SETDEFID, IDCANCEL);
    // The focused field is disabled now, and a disabled window takes no keys.
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDCANCEL)), TRUE);
    ::SetTimer(m_hWnd, kTimer, kSendTickMs, nullptr);
}

// SetTimer with the same id replaces the running timer's interval.
void CBatchAddressDialog::OnTimer() {
    switch (m_stage) {
    case Stage::kSending:
        m_services.sendAddressChange(m_requests[m_nSent++]);
        if (m_nSent == m_requests.size()) {
            Report(i18n::UiString(IDS_BATCH_SEARCHING));
            m_stage = Stage::kSettling;
            ::SetTimer(m_hWnd, kTimer, static_cast<UINT>(ippage::kSettleTime.count()), nullptr);
        }
        return;
    case Stage::kSettling:
        m_stage = Stage::kSearching;
        m_services.searchAgain();
        ::SetTimer(m_hWnd, kTimer, static_cast<UINT>(ippage::kAnswerTime.count()), nullptr);
        return;
    case Stage::kSearching: {
        ::KillTimer(m_hWnd, kTimer);
        m_stage = Stage::kDone;
        const std::vector<ippage::AnsweringDevice> after = m_services.answeringDevices();
        std::wstring text;
        for (const ippage::PlannedChange& change : m_changes) {
            const ippage::ChangeOutcome outcome =
                ippage::JudgeChange(change, ippage::MacsAt(m_before, change.device), after);
            text += (text.empty() ? L"" : L"\r\n") +
                    ippage::OutcomeLine(change, outcome, &i18n::UiString);
        }
        Report(text);
        return;
    }
    case Stage::kEditing:
    case Stage::kDone:
        ::KillTimer(m_hWnd, kTimer);
        return;
    }
}

void CBatchAddressDialog::Report(const std::wstring& text) {
    ::SetDlgItemTextW(m_hWnd, IDC_BATCH_REPORT, text.c_str());
}
