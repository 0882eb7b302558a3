#pragma once
// The registered messages: named messages that the program's parts exchange with each other
// and with other processes (a second instance, game software, the audio recorder, the hook).
//
// Each name has a fixed number in this program. The numbers lie in 0xC000..0xFFFF, the range
// of registered messages, so they never meet the private window message numbers (0xC11,
// 0xC12, ..., 0xD03, 0x41E). They are part of the message port's protocol (a sender may give
// "#" and the number instead of the name, docs/message-port.md), so they never change:
//
//   0xC000          the product string "TELMA QX-418GRY Device" (a second instance wakes the first)
//   0xC001..0xC004  "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}" .. "...EBF18"
//   0xC005          "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}" (kept registered; the program
//                   captures the sound itself, so no recorder receives it)
//   0xC010..0xC01D  the fourteen keyboard and mouse hook messages "WM_HOOK_..."
//   0xC020..0xC024  the five mouse hook messages "UWM_MOUSE..."
//   0xC030..0xC033  the game events "Game_Start", "Game_End", "Game_Kill", "Game_Death"
//
// Only some of them are taken from other processes (`acceptedFromOutside`): the hook messages
// carry pointers into the process that sent them and only ever come from our own input hook,
// and the "EBE19" message goes out to the recorder, never in.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// Window title, instance lock and message port name, first registered message, settings
// name, tray tooltip and user data folder name.
inline constexpr std::string_view kProductString = "TELMA QX-418GRY Device";

enum class MessageGroup : std::uint8_t { Product, Guid, Hook, MouseHook, GameEvent };

struct RegisteredMessage {
    std::string_view name;
    std::uint32_t number;
    MessageGroup group;
    bool acceptedFromOutside;
};

inline constexpr std::uint32_t kMsgProduct = 0xC000;
inline constexpr std::uint32_t kMsgGuid15 = 0xC001;   // forwarded to the settings window
inline constexpr std::uint32_t kMsgGuid16 = 0xC002;   // broadcast once initialised (host light state)
inline constexpr std::uint32_t kMsgGuid17 = 0xC003;   // host control of lighting on or off
inline constexpr std::uint32_t kMsgGuid18 = 0xC004;   // tool report
inline constexpr std::uint32_t kMsgGuidE19 = 0xC005;  // registered, nothing receives it
inline constexpr std::uint32_t kMsgHookKeySingleKey = 0xC010;
inline constexpr std::uint32_t kMsgHookKeyHitKey = 0xC011;
inline constexpr std::uint32_t kMsgHookKeyKbMacro = 0xC012;
inline constexpr std::uint32_t kMsgHookKeyMsMacro = 0xC013;
inline constexpr std::uint32_t kMsgHookKeyKbMacroSingle = 0xC014;
inline constexpr std::uint32_t kMsgHookKeyKbMacroPrevious = 0xC015;
inline constexpr std::uint32_t kMsgHookKeyKbMacroLater = 0xC016;
inline constexpr std::uint32_t kMsgHookMouSingleKey = 0xC017;
inline constexpr std::uint32_t kMsgHookMouHitKey = 0xC018;
inline constexpr std::uint32_t kMsgHookMouKbMacro = 0xC019;
inline constexpr std::uint32_t kMsgHookMouMsMacro = 0xC01A;
inline constexpr std::uint32_t kMsgHookKeyMsMacroSingle = 0xC01B;
inline constexpr std::uint32_t kMsgHookKeyMsMacroPrevious = 0xC01C;
inline constexpr std::uint32_t kMsgHookKeyMsMacroLater = 0xC01D;
inline constexpr std::uint32_t kMsgMouseRButtonDown = 0xC020;
inline constexpr std::uint32_t kMsgMouseLButtonUp = 0xC021;
inline constexpr std::uint32_t kMsgMouseLButtonDown = 0xC022;
inline constexpr std::uint32_t kMsgMouseRButtonUp = 0xC023;
inline constexpr std::uint32_t kMsgMouseMove = 0xC024;
inline constexpr std::uint32_t kMsgGameStart = 0xC030;
inline constexpr std::uint32_t kMsgGameEnd = 0xC031;
inline constexpr std::uint32_t kMsgGameKill = 0xC032;
inline constexpr std::uint32_t kMsgGameDeath = 0xC033;

inline constexpr std::array<RegisteredMessage, 29> kRegisteredMessages{{
    {kProductString, kMsgProduct, MessageGroup::Product, true},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBF15}", kMsgGuid15, MessageGroup::Guid, true},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBF16}", kMsgGuid16, MessageGroup::Guid, true},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", kMsgGuid17, MessageGroup::Guid, true},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBF18}", kMsgGuid18, MessageGroup::Guid, true},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBE19}", kMsgGuidE19, MessageGroup::Guid, false},
    {"WM_HOOK_KEY_SINGLEKEY_MSG", kMsgHookKeySingleKey, MessageGroup::Hook, false},
    {"WM_HOOK_KEY_HITKEY_MSG", kMsgHookKeyHitKey, MessageGroup::Hook, false},
    {"WM_HOOK_KEY_KBMACRO_MSG", kMsgHookKeyKbMacro, MessageGroup::Hook, false},
    {"WM_HOOK_KEY_MSMACRO_MSG", kMsgHookKeyMsMacro, MessageGroup::Hook, false},
    {"WM_HOOK_KEY_KBMACROSINGLE_MSG", kMsgHookKeyKbMacroSingle, MessageGroup::Hook, false},
    {"WM_HOOK_KEY_KBMACROPREVIOUS_MSG", kMsgHookKeyKbMacroPrevious, MessageGroup::Hook, false},
    {"WM_HOOK_KEY_KBMACROLATER_MSG", kMsgHookKeyKbMacroLater, MessageGroup::Hook, false},
    {"WM_HOOK_MOU_SINGLEKEY_MSG", kMsgHookMouSingleKey, MessageGroup::Hook, false},
    {"WM_HOOK_MOU_HITKEY_MSG", kMsgHookMouHitKey, MessageGroup::Hook, false},
    {"WM_HOOK_MOU_KBMACRO_MSG", kMsgHookMouKbMacro, MessageGroup::Hook, false},
    {"WM_HOOK_MOU_MSMACRO_MSG", kMsgHookMouMsMacro, MessageGroup::Hook, false},
    {"WM_HOOK_KEY_MSMACROSINGLE_MSG", kMsgHookKeyMsMacroSingle, MessageGroup::Hook, false},
    {"WM_HOOK_KEY_MSMACROPREVIOUS_MSG", kMsgHookKeyMsMacroPrevious, MessageGroup::Hook, false},
    {"WM_HOOK_KEY_MSMACROLATER_MSG", kMsgHookKeyMsMacroLater, MessageGroup::Hook, false},
    {"UWM_MOUSERBUTTONDOWN_USER_MSG", kMsgMouseRButtonDown, MessageGroup::MouseHook, false},
    {"UWM_MOUSELBUTTONUP_USER_MSG", kMsgMouseLButtonUp, MessageGroup::MouseHook, false},
    {"UWM_MOUSELBUTTONDOWN_USER_MSG", kMsgMouseLButtonDown, MessageGroup::MouseHook, false},
    {"UWM_MOUSERBUTTONUP_USER_MSG", kMsgMouseRButtonUp, MessageGroup::MouseHook, false},
    {"UWM_MOUSEMOVE_USER_MSG", kMsgMouseMove, MessageGroup::MouseHook, false},
    {"Game_Start", kMsgGameStart, MessageGroup::GameEvent, true},
    {"Game_End", kMsgGameEnd, MessageGroup::GameEvent, true},
    {"Game_Kill", kMsgGameKill, MessageGroup::GameEvent, true},
    {"Game_Death", kMsgGameDeath, MessageGroup::GameEvent, true},
}};

// The six places the mouse hook messages are registered in: the right-button-down name
// takes the first and the fifth place.
inline constexpr std::array<std::uint32_t, 6> kMouseHookMessagePlaces{
    kMsgMouseRButtonDown, kMsgMouseLButtonUp, kMsgMouseLButtonDown,
    kMsgMouseRButtonDown, kMsgMouseRButtonUp, kMsgMouseMove};

namespace detail {
consteval bool RegisteredTableIsSound() {
    for (std::size_t i = 0; i < kRegisteredMessages.size(); ++i) {
        const auto& a = kRegisteredMessages[i];
        if (a.number < 0xC000 || a.number > 0xFFFF || a.name.empty()) return false;
        for (std::size_t j = i + 1; j < kRegisteredMessages.size(); ++j) {
            const auto& b = kRegisteredMessages[j];
            if (a.number == b.number || a.name == b.name) return false;
        }
    }
    return true;
}
}  // namespace detail
static_assert(detail::RegisteredTableIsSound(),
              "registered messages need distinct names and distinct numbers in 0xC000..0xFFFF");

// Exact, case-sensitive look-up; nullptr when the name or number is not registered.
const RegisteredMessage* FindRegisteredMessage(std::string_view name);
const RegisteredMessage* FindRegisteredMessage(std::uint32_t number);

// A message given as its name or as "#" and its number in decimal or "0x" hexadecimal
// ("Game_Start", "#49200", "#0xC030"); nullptr when it is neither.
const RegisteredMessage* ResolveRegisteredMessage(std::string_view nameOrNumber);

// Number parsing shared by the message port and the sender: decimal, or hexadecimal after
// "0x"/"0X"; an optional "-" only for signed values. Nothing else is accepted (no blanks,
// no "+", no empty digits) and values outside the type's range are refused.
std::optional<std::uint64_t> ParseUnsigned(std::string_view text);
std::optional<std::int64_t> ParseSigned(std::string_view text);

}  // namespace platform
