#include "devices/event_codes.h"

#include <gtest/gtest.h>

using device_events::ClassifyEventCode;
using device_events::EventAction;
using device_events::EventClass;

TEST(EventCodes, EachClassHasItsOwnRules) {
    struct Case {
        EventClass eventClass;
        uint16_t code;
        EventAction expected;
    };
    const Case cases[] = {
        {EventClass::Keyboard, 0x401, {EventAction::StartEventTimer, 50}},
        {EventClass::Keyboard, 0x402, {EventAction::StartEventTimer, 50}},
        {EventClass::Keyboard, 0x403, {EventAction::Handler}},
        {EventClass::Keyboard, 0x1003, {EventAction::Handler}},
        {EventClass::Keyboard, 0x400, {EventAction::Ignore}},
        {EventClass::MouseWired, 0x401, {EventAction::StartEventTimer, 50}},
        {EventClass::MouseWired, 0x402, {EventAction::Handler}},
        {EventClass::MouseWired, 0x403, {EventAction::OwnReaction}},
        {EventClass::MouseWired, 0x1101, {EventAction::Handler}},
        {EventClass::MouseReceiver, 0x401, {EventAction::StartEventTimer, 50}},
        {EventClass::MouseReceiver, 0x403, {EventAction::Handler}},
        {EventClass::MouseReceiver, 0x0E9, {EventAction::Ignore}},
        {EventClass::PadOrHeadset, 0x401, {EventAction::StartEventTimer, 500}},
        {EventClass::PadOrHeadset, 0x402, {EventAction::Ignore}},
        {EventClass::PadOrHeadset, 0, {EventAction::Ignore}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyEventCode(c.eventClass, c.code), c.expected)
            << "class " << static_cast<int>(c.eventClass) << " code " << std::hex << c.code;
    }
}
