// The probe's steps on the configuration pages and the screen: address fields, a click on a
// list row, a button whose handler shows a message box, the boxes themselves, and whether the
// window's caption and list headings lie on the screen. Controls are found by id anywhere
// under the top-level window, so the pages' controls are reached too.
#pragma once

#include <windows.h>

#include <string>

namespace probe {

// The control with `id` under `top`, at any depth; null when there is none.
[[nodiscard]] HWND FindControl(HWND top, int id);

// Writes "a.b.c.d" into an IPv4 address field, or clears it for "empty".
int SetAddress(HWND top, int id, const std::wstring& text);
// Waits until an address field shows `text` ("a.b.c.d", empty fields as nothing between the
// dots) and is enabled or disabled as asked ("a.b.c.d" or "a.b.c.d disabled").
int WaitField(HWND top, int id, const std::wstring& expected, DWORD timeoutMs);

// Puts the pointer on a row's centre and clicks the left button there, as the operator does.
int ClickRow(HWND top, int listId, int row);

// Clicks a button whose handler may block on a message box: the click is posted as the
// button's notification to its parent, and the call returns at once.
int PressButton(HWND top, int id);

// Waits for a message box owned by `top` and prints "box\t<text>\t<buttons>\t<icon>\tms=<n>",
// n counted from `since` (GetTickCount64); then presses `button` (IDOK, IDCANCEL) in it.
int AnswerBox(HWND top, int button, ULONGLONG since, DWORD timeoutMs);
// Fails when a message box owned by `top` shows up within `ms`.
int ExpectNoBox(HWND top, DWORD ms);

// The window's top-left corner (its caption) and the list's headings lie inside the work area.
int CheckOnScreen(HWND top, int listId);

} // namespace probe
