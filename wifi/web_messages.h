// What the operator is told while a web command runs: fixed English texts, never looked up in
// a language file.
#pragma once

namespace wifi {

inline constexpr wchar_t kNotRunning[] = L"Client is not running!";
inline constexpr wchar_t kSendTimeout[] = L"It's timeout to connect to Server!";
inline constexpr wchar_t kReceiveTimeout[] = L"It's timeout to receive from Server!";
inline constexpr wchar_t kScanFailed[] = L"Get SSID failed!";
inline constexpr wchar_t kSaveFailed[] = L"Set Wifi failed!";
inline constexpr wchar_t kRebootQuestion[] =
    L"Save successful! Changes configuration will take effect on next reboot.\r\n\r\n"
    L"Are you sure want to reboot the device now?";
inline constexpr wchar_t kRebootDone[] = L"Success to reboot the device!";
inline constexpr wchar_t kRebootFailed[] = L"Fail to reboot the device!";
// A request whose SSID or key (or address) would not fit the request buffer is not sent.
inline constexpr wchar_t kRequestTooLong[] = L"The SSID or key is too long to send to Server!";
// Nor one whose SSID or key has characters that the host's code page has no form for: the
// device would store other characters than the ones typed.
inline constexpr wchar_t kUnsendableText[] =
    L"The SSID or key has characters that cannot be sent to the device!";

} // namespace wifi
