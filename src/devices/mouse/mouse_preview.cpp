#include "devices/mouse/mouse_preview.h"

#include <algorithm>

namespace mouse {
namespace {

constexpr int kSixth = static_cast<int>(kPreviewWheel / 6);
constexpr int kFadeStep = 15;

std::array<light::Rgb, kPreviewWheel> MakeWheel() {
    std::array<light::Rgb, kPreviewWheel> wheel{};
    for (int i = 0; i < static_cast<int>(kPreviewWheel); ++i) {
        const int t = i % kSixth;
        const auto up = static_cast<uint8_t>(1 + t * 254 / (kSixth - 1));
        const auto down = static_cast<uint8_t>(256 - up);
        switch (i / kSixth) {
            case 0:
                wheel[i] = {255, up, 0};
                break;
            case 1:
                wheel[i] = {down, 255, 0};
                break;
            case 2:
                wheel[i] = {0, 255, up};
                break;
            case 3:
                wheel[i] = {0, down, 255};
                break;
            case 4:
                wheel[i] = {up, 0, 255};
                break;
            default:
                wheel[i] = {255, 0, down};
                break;
        }
    }
    return wheel;
}

std::array<uint8_t, kPreviewCurve> MakeCurve() {
    std::array<uint8_t, kPreviewCurve> curve{};
    constexpr int half = static_cast<int>(kPreviewCurve / 2);
    for (int i = 0; i < half; ++i) {
        curve[i] = static_cast<uint8_t>(22 + (255 - 22) * i / (half - 1));
        curve[kPreviewCurve - 1 - i] = curve[i];
    }
    return curve;
}

void Paint(std::span<light::LedEntry> leds, size_t position, light::Rgb colour, int brightness) {
    for (int led : kPreviewLayout[position]) {
        if (led < 0 || static_cast<size_t>(led) >= leds.size()) continue;
        light::LedEntry& entry = leds[static_cast<size_t>(led)];
        entry.red = colour.red;
        entry.green = colour.green;
        entry.blue = colour.blue;
        entry.brightness = static_cast<uint8_t>(std::clamp(brightness, 0, 255));
    }
}

light::Rgb LiveColour(const light::LightSettings& settings) {
    return {settings.red, settings.green, settings.blue};
}

}  // namespace

const std::array<light::Rgb, kPreviewWheel>& PreviewWheel() {
    static const auto wheel = MakeWheel();
    return wheel;
}

const std::array<uint8_t, kPreviewCurve>& PreviewCurve() {
    static const auto curve = MakeCurve();
    return curve;
}

void WaveFrame(std::span<light::LedEntry> leds, const light::LightSettings& settings,
               PreviewState& state) {
    const bool multicolour = settings.multicolour != 0;
    const int limit =
        multicolour ? static_cast<int>(kPreviewWheel) : static_cast<int>(kPreviewCurve);
    state.position = light::StepValue(settings.direction != 0, limit, state.position, 1);
    const int scale = light::BrightnessLevel(settings.brightness);
    int index = (state.position + 1) % limit;
    for (size_t position = 0; position < kPreviewPositions; ++position) {
        if (multicolour) {
            Paint(leds, position, PreviewWheel()[static_cast<size_t>(index)], scale);
        } else {
            Paint(leds, position, LiveColour(settings),
                  scale * PreviewCurve()[static_cast<size_t>(index)] / 256);
        }
        index = (index + 7) % limit;
    }
}

void RunFrame(std::span<light::LedEntry> leds, const light::LightSettings& settings,
              PreviewState& state) {
    state.position = static_cast<uint8_t>((state.position + 1) % kPreviewWheel);
    for (uint8_t& level : state.levels) level = light::DecayIntensity(level, 0);
    const size_t step = state.position % kPreviewPositions;
    const size_t head = settings.direction != 0 ? step : kPreviewPositions - 1 - step;
    state.levels[head] = 255;
    const int scale = light::BrightnessLevel(settings.brightness);
    for (size_t position = 0; position < kPreviewPositions; ++position) {
        light::Rgb colour = LiveColour(settings);
        if (settings.multicolour != 0) {
            const size_t entry = (state.position + 12 * position) % kPreviewWheel;
            colour = PreviewWheel()[entry];
        }
        Paint(leds, position, colour, scale * state.levels[position] / 256);
    }
}

void ReactiveFrame(std::span<light::LedEntry> leds, std::span<uint8_t> fade,
                   const light::LightSettings& settings) {
    const int scale = light::BrightnessLevel(settings.brightness);
    const size_t count = std::min(leds.size(), fade.size());
    for (size_t led = 0; led < count; ++led) {
        light::LedEntry& entry = leds[led];
        int level = entry.extra[1];
        if (fade[led] == static_cast<uint8_t>(Fade::Rising)) {
            level = std::min(255, level + kFadeStep);
            if (level == 255) fade[led] = static_cast<uint8_t>(Fade::Falling);
        } else if (fade[led] == static_cast<uint8_t>(Fade::Falling)) {
            level = std::max(0, level - kFadeStep);
            if (level == 0) fade[led] = static_cast<uint8_t>(Fade::Idle);
        }
        entry.extra[1] = static_cast<uint8_t>(level);
        const light::Rgb colour = settings.multicolour != 0
                                      ? PreviewWheel()[entry.extra[0] % kPreviewWheel]
                                      : LiveColour(settings);
        entry.red = colour.red;
        entry.green = colour.green;
        entry.blue = colour.blue;
        entry.brightness = static_cast<uint8_t>(scale * level / 256);
    }
}

void StartReactive(std::span<light::LedEntry> leds, std::span<uint8_t> fade,
                   const std::function<uint8_t()>& randomWheelEntry) {
    const size_t count = std::min(leds.size(), fade.size());
    for (size_t led = 0; led < count; ++led) {
        fade[led] = static_cast<uint8_t>(Fade::Rising);
        leds[led].extra[0] = static_cast<uint8_t>(randomWheelEntry() % kPreviewWheel);
        leds[led].extra[1] = 255;
    }
}

}  // namespace mouse
