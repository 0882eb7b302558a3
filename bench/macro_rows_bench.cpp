// The UI thread's longest stall while the macro editor takes a recording of 100,000 key
// events (50,000 presses and releases, 1 ms apart): the events arrive as the input hook
// hands them over, a few hundred per turn of the event loop, the recording stops and the
// rows are shown. Every
// event, timer and rebuild runs on the one thread, so the longest time between two turns of
// the event loop is what the user waits for the window at worst; the total is also given.
// Runs offscreen on a temporary user data folder.
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "controls/composite_controls.h"
#include "devices/skelmora_usb_device.h"
#include "panels/macro_control_ui.h"
#include "ui/control_factory.h"
#include "ui/layout_loader.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_resources.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SKELMORA_INPUT", "window");  // no input device of this machine is read
    QApplication app(argc, argv);
    const int events = argc > 1 ? std::max(2, std::atoi(argv[1])) : 100000;
    QTemporaryDir dir;
    ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT "/skin"));
    CResourceManager::GetInstance().LoadLanguage(QStringLiteral("lan_en.xml"));
    controls::RegisterCompositeControls(CControlFactory::GetInstance());
    RegisterMacroControl();
    CSkelmoraUSBDevice device;
    BuildResult built =
        CDialogBuilder::Create(QStringLiteral("XML/CustomControlXML/MacroControl.xml"), &device);
    auto* panel = qobject_cast<CMacroControlUI*>(built.root);
    if (!panel) {
        std::fprintf(stderr, "the macro editor did not build\n");
        return 1;
    }
    panel->SetMessageHandler([](const QString&, int) { return 1; });
    panel->SetFolder(dir.path() + "/");
    panel->LoadMacroList();
    panel->AddMacro();
    device.resize(800, 400);
    device.show();

    // The longest gap between two turns of the event loop, measured by a 0 ms timer.
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 worst = 0;
    QTimer beat;
    beat.setInterval(0);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, now - last);
        last = now;
    });
    beat.start();

    auto* list = panel->findChild<QListWidget*>(QStringLiteral("macro_action_list"));
    // A live source's pace, quickened: 200 events (KEY_A down and up, 1 ms apart) per turn of
    // the event loop.
    panel->StartRecording(macro_edit::RecordPosition::Append, macro_edit::DelayMode::Record);
    for (int i = 0; i < events; ++i) {
        platform::InputEvent event;
        event.code = 30;
        event.scan_code = 0x1E;
        event.state = (i % 2) ? platform::KeyState::Released : platform::KeyState::Pressed;
        event.time_us = 1000000u + static_cast<uint64_t>(i) * 1000u;
        panel->OnInput(event);
        if (i % 200 == 199) app.processEvents();
    }
    const qint64 recorded = clock.nsecsElapsed();
    const qint64 recordingWorst = worst;
    panel->StopRecording(false);
    const qint64 stop = clock.nsecsElapsed() - recorded;
    last = clock.nsecsElapsed();
    worst = std::max(worst, stop);  // the stop itself runs in one turn
    while (!list || list->count() < static_cast<int>(panel->Rows().size())) app.processEvents();
    const qint64 total = clock.nsecsElapsed();
    std::printf("events %d rows %zu shown %d\n", events, panel->Rows().size(),
                list ? list->count() : -1);
    std::printf(
        "longest UI stall %.1f ms (while recording %.1f ms, the stop %.1f ms), all rows shown "
        "after %.1f ms\n",
        worst / 1e6, recordingWorst / 1e6, stop / 1e6, total / 1e6);
    return 0;
}
