#include "tables/device_tables.h"

namespace {

DeviceIdentity Row(uint16_t vid, uint16_t pid, uint16_t mi, uint16_t col, uint16_t kind,
                   uint16_t role, uint16_t page, uint16_t usage, uint16_t hasPartner,
                   uint16_t partner) {
    DeviceIdentity id;
    id.vendorId = vid;
    id.productId = pid;
    id.interfaceNumber = mi;
    id.collectionNumber = col;
    id.kind = kind;
    id.role = role;
    id.usagePage = page;
    id.usage = usage;
    id.hasPartner = hasPartner;
    id.partnerIndex = partner;
    return id;
}

const InterfaceTable kShipped = {
    Row(0x320F, 0x5055, 1, 4, kKindKeyboard, kRoleCommand, 0xFF1C, 0x92, 1, 2),
    Row(0x320F, 0x5055, 1, 3, kKindKeyboard, kRoleEvent, 0x000C, 0x01, 1, 3),
    Row(0, 0, 1, 4, kKindKeyboardReceiver, kRoleCommand, 0xFF1C, 0x92, 1, 0),
    Row(0, 0, 1, 3, kKindKeyboardReceiver, kRoleEvent, 0x000C, 0x01, 1, 1),
    Row(0, 0, 1, 4, kKindMouse, kRoleCommand, 0xFF1C, 0x92, 1, 6),
    Row(0, 0, 1, 3, kKindMouse, kRoleEvent, 0x000C, 0x01, 1, 7),
    Row(0, 0, 1, 4, kKindMouseReceiver, kRoleCommand, 0xFF1C, 0x92, 1, 4),
    Row(0, 0, 1, 3, kKindMouseReceiver, kRoleEvent, 0x000C, 0x01, 1, 5),
    Row(0, 0, 1, 4, kKindMousePad, kRoleCommand, 0xFF1C, 0x92, 0, 0),
    Row(0, 0, 1, 3, kKindMousePad, kRoleEvent, 0x000C, 0x01, 0, 0),
    Row(0x0C76, 0x1630, 3, 0, kKindHeadset, kRoleCommand, 0x000C, 0x01, 0, 0),
};

InterfaceTable& Active() {
    static InterfaceTable table = kShipped;
    return table;
}

constexpr const char* kSelectorLayout = "XML/CustomControlXML/DeviceOption.xml";

constexpr std::array<ModelRow, kModelRows> kShippedModels = {{
    {0, 0, kKindMouse, "mouse", kSelectorLayout, "tab_header_device", "device_power_switch", 1},
    {0x320F, 0x5055, kKindKeyboard, "keyboard", kSelectorLayout, "tab_header_device",
     "device_power_switch", 0},
    {0, 0, kKindMousePad, "MousePad", kSelectorLayout, "tab_header_device", "device_power_switch",
     2},
    {0x0C76, 0x1630, kKindHeadset, "HD", kSelectorLayout, "tab_header_device",
     "device_power_switch", 3},
}};

std::array<ModelRow, kModelRows>& Models() {
    static std::array<ModelRow, kModelRows> models = kShippedModels;
    return models;
}

constexpr PageRow kPages[kModelRows] = {
    {15, 11, true, "XML/DeviceXml/mousedevice.xml", "zelvo_light", -1},
    {170, 170, false, "XML/DeviceXml/keyboarddevice.xml", "zelvo_light", -1},
    {15, 0, false, "XML/DeviceXml/mousepaddevice.xml", "zelvo_light", -1},
    {13, 0, false, "XML/DeviceXml/hs6533device.xml", "zelvo_light", -1},
};

}  // namespace

const InterfaceTable& ShippedInterfaceTable() { return kShipped; }
const InterfaceTable& ActiveInterfaceTable() { return Active(); }
void SetInterfaceTableForTesting(const InterfaceTable& table) { Active() = table; }
void RestoreShippedInterfaceTable() {
    Active() = kShipped;
    Models() = kShippedModels;
}

void SetModelIdsForKind(uint16_t kind, uint16_t vendorId, uint16_t productId) {
    for (ModelRow& row : Models()) {
        if (row.kind != kind) continue;
        row.vendorId = vendorId;
        row.productId = productId;
    }
}

std::span<const ModelRow, kModelRows> ModelTable() {
    return std::span<const ModelRow, kModelRows>(Models());
}
std::span<const PageRow, kModelRows> PageTable() { return kPages; }

int FindInterfaceRow(uint16_t vendorId, uint16_t productId, uint16_t kind, uint16_t role) {
    const InterfaceTable& table = Active();
    for (size_t i = 0; i < table.size(); ++i) {
        const DeviceIdentity& row = table[i];
        if (row.vendorId == vendorId && row.productId == productId && row.kind == kind &&
            row.role == role) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int FindModelRow(uint16_t vendorId, uint16_t productId, uint16_t kind, int subKey) {
    if (subKey != 0) return -1;
    for (size_t i = 0; i < kModelRows; ++i) {
        const ModelRow& row = Models()[i];
        if (row.vendorId == vendorId && row.productId == productId && row.kind == kind) {
            return static_cast<int>(i);
        }
    }
    return -1;
}
