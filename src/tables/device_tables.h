#pragma once
// The supported devices: the interface table (which HID interfaces belong to which device
// kind and role), the model table and the page table. Plain data, no Qt.
#include <array>
#include <cstdint>
#include <span>
#include <string>

// Device kind codes.
enum DeviceKind : uint16_t {
    kKindKeyboard = 1,
    kKindMouse = 2,
    kKindMousePad = 3,
    kKindMouseReceiver = 6,
    kKindHeadset = 7,
    kKindKeyboardReceiver = 9,
};

// Interface roles.
enum InterfaceRole : uint16_t {
    kRoleCommand = 0,  // vendor usage page: the command channel
    kRoleEvent = 255,  // consumer usage page: unsolicited event reports
};

struct DeviceIdentity {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;
    uint16_t kind = 0;
    uint16_t role = 0;
    uint16_t present = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t hasPartner = 0;
    uint16_t partnerIndex = 0;
    std::string path;

    // Present, partner fields and path take no part in equality.
    bool operator==(const DeviceIdentity& other) const {
        return vendorId == other.vendorId && productId == other.productId &&
               interfaceNumber == other.interfaceNumber &&
               collectionNumber == other.collectionNumber && kind == other.kind &&
               role == other.role && usagePage == other.usagePage && usage == other.usage;
    }
};

constexpr size_t kInterfaceRows = 11;
using InterfaceTable = std::array<DeviceIdentity, kInterfaceRows>;

// The shipped table. Rows with vendor and product id 0 (mice, mouse pads, receivers) never
// match a real interface.
const InterfaceTable& ShippedInterfaceTable();

// The table in force: the shipped one, unless a test put another in place.
const InterfaceTable& ActiveInterfaceTable();
// For tests only: gives rows real ids so that emulated mice and receivers can be reached.
void SetInterfaceTableForTesting(const InterfaceTable& table);
// Puts back the shipped interface and model tables.
void RestoreShippedInterfaceTable();

struct ModelRow {
    uint16_t vendorId;
    uint16_t productId;
    uint16_t kind;
    const char* kindName;
    const char* selectorLayout;
    const char* tabHeaderName;
    const char* powerContainer;
    int profileSlot;
};

struct PageRow {
    int ledCount;
    int keyCount;
    bool hasStatusBlock;
    const char* pageLayout;
    const char* lightConfigurationName;
    int unchangedValue;  // -1, stored into the device as it is
};

constexpr size_t kModelRows = 4;
std::span<const ModelRow, kModelRows> ModelTable();
std::span<const PageRow, kModelRows> PageTable();
// Gives the model rows of a kind these ids (SKELMORA_TABLE_IDS and tests; the shipped mouse and
// mouse pad rows carry 0).
void SetModelIdsForKind(uint16_t kind, uint16_t vendorId, uint16_t productId);

// Row of the active interface table with these ids, kind and role; -1 when none.
int FindInterfaceRow(uint16_t vendorId, uint16_t productId, uint16_t kind, uint16_t role);
// Row of the model table; -1 when none. The sub-key is always 0.
int FindModelRow(uint16_t vendorId, uint16_t productId, uint16_t kind, int subKey = 0);
