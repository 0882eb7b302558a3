#pragma once
// The main window's private messages. Senders on other threads reach the window through
// queued calls ("posted") or blocking queued calls ("sent"); the numbers name them in traces.
namespace window_message {
inline constexpr int kApplyLanguage = 0xC11;  // wParam: language index
inline constexpr int kDeviceFound = 0xC12;    // wParam: detected-list row (sent)
inline constexpr int kDeviceLost = 0xC13;     // wParam: detected-list row (sent)
inline constexpr int kOpenSettings = 0xC15;
inline constexpr int kKeyboardStatus = 0xD01;      // wParam: status byte 4
inline constexpr int kSelectorVisibility = 0xD03;  // wParam: model index, lParam: 1 show, 0 hide
inline constexpr int kMacroHook = 0x41E;           // wParam: 1 on, 0 off
}  // namespace window_message
