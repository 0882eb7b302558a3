#include "update/update_targets.h"

namespace update {

std::string ApplicationKey(const UpdateTarget& target, bool versionKnown) {
    if (!versionKnown) return "NULL";
    std::string key(target.brand);
    key += '_' + std::to_string(target.kind);
    key += '_';
    key += target.model;
    key += '_';
    key += target.className;
    key += '_' + std::to_string(target.keyNumber);
    return key;
}

namespace {
bool IsApplication(const CheckRow& row) { return kUpdateTargets[row.target].kind == 0; }
bool VersionKnown(const CheckRow& row) {
    return IsApplication(row) ? row.application.count > 0 : row.firmware != 0;
}
}  // namespace

std::string ApplicationKey(const CheckRow& row) {
    return ApplicationKey(kUpdateTargets[row.target], VersionKnown(row));
}

std::string VersionField(const CheckRow& row) {
    return IsApplication(row) ? DotlessVersion(row.application)
                              : FirmwareVersionField(row.firmware);
}

std::string CurrentVersionText(const CheckRow& row) {
    return IsApplication(row) ? ShowApplicationVersion(row.application)
                              : ShowFirmwareVersion(row.firmware);
}

std::string FormEncode(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '_' ||
                                byte == '.' || byte == '~';
        if (unreserved) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string RequestBody(const CheckRow& row) {
    return "app_key=" + FormEncode(ApplicationKey(row)) +
           "&version=" + FormEncode(VersionField(row));
}

std::vector<CheckRow> SelectRows(const std::vector<ConnectedDevice>& devices,
                                 const std::optional<AppVersion>& application) {
    struct KindRow {
        int kind;
        int row;
    };
    static constexpr KindRow kKindRows[] = {
        {2, kMouseRow}, {1, kKeyboardRow}, {9, kKeyboardRow}, {6, kReceiverMouseRow}};
    std::optional<std::uint16_t> firmware[kTargetCount];
    for (const ConnectedDevice& device : devices) {
        if (!device.commandChannelOpen || device.version == 0) continue;
        for (const KindRow& kindRow : kKindRows) {
            if (kindRow.kind == device.kind && !firmware[kindRow.row])
                firmware[kindRow.row] = device.version;
        }
    }
    std::vector<CheckRow> rows;
    for (int target = 0; target < kTargetCount; ++target) {
        if (target == kApplicationRow) {
            if (application && application->count > 0)
                rows.push_back(CheckRow{target, 0, *application});
        } else if (firmware[target]) {
            rows.push_back(CheckRow{target, *firmware[target], {}});
        }
    }
    return rows;
}

}  // namespace update
