// The UI thread's time per light frame of the keyboard page in the sound-driven effects
// (code 29): the frame timer's call paints the changed previews, builds the frame by key
// position and hands it to the light thread. For comparison, the time the same frame takes
// when it is streamed where it is built (seven exchanges at the device's 1 ms per report).
// Runs offscreen against the in-process emulated keyboard.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include "controls/composite_controls.h"
#include "controls/picture_controls.h"
#include "devices/device_registration.h"
#include "devices/keyboard/light_frame.h"
#include "devices/skelmora_keyboard_device.h"
#include "emulator/emulated_bus.h"
#include "panels/device_profile_ui.h"
#include "ui/control_factory.h"
#include "ui/layout_loader.h"
#include "ui/paint_manager.h"
#include "ui/skin_resources.h"

namespace {

constexpr char kPage[] = "XML/DeviceXml/keyboarddevice.xml";

struct Page {
    std::shared_ptr<emu::EmulatedBus> bus = emu::EmulatedBus::Create();
    std::unique_ptr<QWidget> host = std::make_unique<QWidget>();
    CSkelmoraKeyboardDevice* device = nullptr;
    uint32_t clockMs = 0;

    Page() {
        ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT "/skin"));
        controls::RegisterPictureControls(CControlFactory::GetInstance());
        RegisterDeviceControls();
        controls::RegisterCompositeControls(CControlFactory::GetInstance());
        RegisterProfilePanel();
        auto* manager = new CPaintManagerUI(host.get());
        BuildResult page = CDialogBuilder::Create(kPage);
        device = qobject_cast<CSkelmoraKeyboardDevice*>(page.root);
        manager->AttachDialog(device);
        device->SetPageLayoutPath(kPage);
        device->SetCounts(170, 170);
        device->BindPageControls();
        host->resize(600, 488);
        host->show();

        bus->SetLatency(std::chrono::milliseconds(1));
        std::string error;
        bus->Plug("keyboard", error);
        device->SetBackend(bus);
        CHidConnection probe(bus);
        probe.Enumerate();
        CCommandChannel& channel = device->CommandChannel();
        while (auto path = probe.NextPath()) {
            if (path->find("&col04") == std::string::npos) continue;
            channel.WiredConnection().Open(*path, true, true, true, false);
        }
        channel.SetOpened(true);
        channel.SetMode(1);
        CSkelmoraUSBDevice::KeyMap map;
        for (int key = 0; key < 126; ++key) map[key] = key;
        device->ReadDeviceTables();  // 126 key positions
        device->SetKeyMap(map);
        // Every call counts as a new preview frame (the previews repaint at most every 33 ms).
        device->SetClock([this] { return clockMs += 40; });
        light::LightSettings settings;
        settings.mode = 29;
        device->SetLightSettings(light::ToWords(settings));
    }

    // What the sound does between two frames: every key a new colour.
    void ChangeLeds(uint32_t step) {
        for (int key = 0; key < 126; ++key) {
            const uint32_t level = (step * 7 + static_cast<uint32_t>(key) * 13) & 0xFF;
            device->SetLed(key, 0xFF000000u | (level << 16) | ((255 - level) << 8) | level, 0);
        }
    }
};

Page& SharedPage() {
    static Page page;
    return page;
}

// Per frame: the LEDs change, the frame timer's SendLightFrame runs and the event loop
// paints the page (what the UI thread does for one frame that repaints the previews).
void BM_UiThreadFrameCode29(benchmark::State& state) {
    Page& page = SharedPage();
    uint32_t step = 0;
    for (auto _ : state) {
        page.ChangeLeds(++step);
        if (!page.device->SendLightFrame()) state.SkipWithError("frame refused");
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_UiThreadFrameCode29)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same frame streamed where it is built: what the UI thread would wait.
void BM_StreamedOnTheCallersThread(benchmark::State& state) {
    Page& page = SharedPage();
    std::vector<uint8_t> frame;
    keyboard::BuildKeyPositionFrame(page.device->GetLedsCopy(), page.device->GetKeyMap(), 126,
                                    frame);
    for (auto _ : state) {
        if (page.device->CommandChannel().StreamLightFrame(frame) != hid::kResultOk)
            state.SkipWithError("stream failed");
    }
}
BENCHMARK(BM_StreamedOnTheCallersThread)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The read-back stores the key map in the data folder: a temporary one.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
