// User light effects on the devices: the light thread plays the steps for the modes past each
// class's built-in list, and every device keeps its own place in its steps.
#include "device_test_support.h"
#include "devices/skelmora_keyboard_device.h"
#include "devices/skelmora_mouse_device.h"
#include "devices/skelmora_mouse_pad_device.h"

namespace {

profiles::LightEffectStep StaticStep(uint8_t red, uint8_t green, uint8_t blue, int32_t timeMs) {
    profiles::LightEffectStep step;
    step.mode = 1;  // static
    step.brightness = 4;
    step.speed = 4;
    step.red = red;
    step.green = green;
    step.blue = blue;
    step.time = timeMs;
    return step;
}

void SetMode(CSkelmoraUSBDevice& device, uint8_t mode) {
    light::LightSettings settings = device.GetLightSettingsCopy();
    settings.mode = mode;
    device.SetLightSettings(light::ToWords(settings));
}

constexpr uint32_t kRedWord = 0xFF0000C8u;  // brightness 255, blue 0, green 0, red 200

class CustomLight : public devtest::EmulatedKeyboard {};

TEST_F(CustomLight, TheLightThreadPlaysTheStepsOfAModePastTheBuiltInList) {
    struct Case {
        const char* kind;
        std::unique_ptr<CSkelmoraUSBDevice> device;
        uint8_t mode;
    };
    auto keyboard = std::make_unique<CSkelmoraKeyboardDevice>(nullptr, bus_);
    keyboard->SetEffectCodes(std::vector<int>(46, 0));
    Case cases[] = {
        {"mouse", std::make_unique<CSkelmoraMouseDevice>(nullptr, bus_), 10},
        {"mouse pad", std::make_unique<CSkelmoraMousePadDevice>(nullptr, bus_), 9},
        {"keyboard", std::move(keyboard), 47},
    };
    for (Case& c : cases) {
        CSkelmoraUSBDevice& device = *c.device;
        device.SetCounts(0, 15);
        AttachCommandChannel(device);
        SetMode(device, c.mode);
        device.SetCustomLightSteps({StaticStep(200, 0, 0, 100000)}, c.mode);
        ASSERT_TRUE(device.StartLightThread()) << c.kind;
        EXPECT_TRUE(QTest::qWaitFor([&] { return device.GetLed(14).first == kRedWord; }, 5000))
            << c.kind;
        EXPECT_EQ(device.StopLightThread(), CDeviceThread::StopResult::Ended) << c.kind;
    }
}

TEST_F(CustomLight, StepsReadForAnotherModeAreNotPlayed) {
    CSkelmoraMouseDevice mouse(nullptr, bus_);
    mouse.SetCounts(0, 4);
    mouse.SetLed(0, 0xFF123456u, 0);
    SetMode(mouse, 11);
    mouse.SetCustomLightSteps({StaticStep(200, 0, 0, 100000)}, 10);
    mouse.CustomLightEffectPass();
    EXPECT_EQ(mouse.GetLed(0).first, 0u);  // dark until the mode's own steps are read
}

TEST_F(CustomLight, TwoDevicesPlayingTheSameEffectKeepTheirOwnStep) {
    const std::vector<profiles::LightEffectStep> steps{StaticStep(200, 0, 0, 100),
                                                       StaticStep(0, 200, 0, 100)};
    uint32_t clockA = 5000;
    uint32_t clockB = 90000;
    CSkelmoraMousePadDevice a;
    CSkelmoraMousePadDevice b;
    a.SetClock([&] { return clockA; });
    b.SetClock([&] { return clockB; });
    for (CSkelmoraMousePadDevice* pad : {&a, &b}) {
        pad->SetCounts(0, 2);
        SetMode(*pad, 9);
        pad->SetCustomLightSteps(steps, 9);
        pad->CustomLightEffectPass();
    }
    clockA += 101;  // a's first step is over
    a.CustomLightEffectPass();
    b.CustomLightEffectPass();
    a.CustomLightEffectPass();
    EXPECT_EQ(a.GetCustomEffectStateCopy().stepIndex, 1u);
    EXPECT_EQ(b.GetCustomEffectStateCopy().stepIndex, 0u);
    EXPECT_EQ(a.GetLed(1).first, 0xFF00C800u);
    EXPECT_EQ(b.GetLed(1).first, kRedWord);
}

}  // namespace
