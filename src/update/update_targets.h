#pragma once
// The update targets: the application and the device firmwares the update server knows, the
// key that names each of them to the server, and the form body of a request. Pure.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "update/update_versions.h"

namespace update {

struct UpdateTarget {
    int kind;  // 0: the application; any other value: a device firmware
    int keyNumber;
    std::string_view brand;
    std::string_view model;
    std::string_view className;
    std::string_view displayName;
};

// In this order; the row index is the target's number everywhere else.
inline constexpr UpdateTarget kUpdateTargets[] = {
    {1, 1, "ZELVO", "PX80D52C", "MS", "MS"},
    {1, 1, "ZELVO", "PX80D53C", "KB", "KB"},
    {2, 1, "ZELVO", "PX80D54C_1", "R27", "R27"},
    {0, 1, "ZELVO", "ALL", "KB", "AP"},
};
inline constexpr int kTargetCount = static_cast<int>(std::size(kUpdateTargets));
inline constexpr int kMouseRow = 0;
inline constexpr int kKeyboardRow = 1;
inline constexpr int kReceiverMouseRow = 2;
inline constexpr int kApplicationRow = 3;

// One row to check: a target and the version that runs there.
struct CheckRow {
    int target = 0;              // index into kUpdateTargets
    std::uint16_t firmware = 0;  // firmware rows
    AppVersion application;      // the application row
};

// A connected device as the selector lists it.
struct ConnectedDevice {
    int kind = 0;  // device kind code: 1 or 9 keyboard, 2 mouse, 6 mouse through its receiver...
    bool commandChannelOpen = false;
    std::uint16_t version = 0;  // the command interface's HID version number
};

// "ZELVO_1_PX80D52C_MS_1" (brand, kind, model, class, key number), or "NULL" when the row's
// version is not known.
std::string ApplicationKey(const UpdateTarget& target, bool versionKnown);
std::string ApplicationKey(const CheckRow& row);
// The version as the server reads it: lower-case hexadecimal for firmware ("105" for 0x0105),
// the dot-less decimal for the application ("1025" for 1.0.2.5).
std::string VersionField(const CheckRow& row);
// The version shown to the user: "V0105", "V1.0.2.5".
std::string CurrentVersionText(const CheckRow& row);
// Percent-encoding of a form value (unreserved characters kept).
std::string FormEncode(std::string_view value);
// "app_key=KEY&version=V", values form-encoded, no terminating zero byte.
std::string RequestBody(const CheckRow& row);

// The rows to check, in table order: the first wired mouse (kind 2) for "MS", the first
// keyboard (kind 1 or 9) for "KB", the first mouse reached through its receiver (kind 6) for
// "R27", each only while its command channel is open and its version is not 0; then the
// application when its version is known. The headset has no row.
std::vector<CheckRow> SelectRows(const std::vector<ConnectedDevice>& devices,
                                 const std::optional<AppVersion>& application);

}  // namespace update
