// The UI thread's longest stall while the macro editor takes a recording of N key events
// (A pressed and released, 1 ms apart; 100,000 unless given): the events arrive as the input
// hook hands them over, 200 per turn of the event loop, the recording stops and the rows are
// shown. Then the same macro is shown anew (selected again, read from its file) and scrolled:
// to the end in one jump, then up a page at a time.
// Every event, timer and rebuild runs on the one thread, so the longest time between two turns
// of the event loop is what the user waits for the window at worst; totals are also given,
// with the process's resident memory. Runs offscreen on a temporary user data folder.
// A stage that has not ended after the time limit (second argument, seconds; 600) is
// reported as such.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "controls/composite_controls.h"
#include "devices/skelmora_usb_device.h"
#include "panels/macro_control_ui.h"
#include "ui/control_factory.h"
#include "ui/layout_loader.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_resources.h"

namespace {

// "VmRSS" or "VmHWM" of this process in MiB.
double MemoryMiB(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith(key)) continue;
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() >= 2) return parts[1].toDouble() / 1024.0;
    }
    return -1;
}

// The longest gap between two turns of the event loop, measured by a 0 ms timer.
class StallMeter {
  public:
    StallMeter() {
        clock_.start();
        beat_.setInterval(0);
        QObject::connect(&beat_, &QTimer::timeout, [this] { Tick(); });
        beat_.start();
    }
    void Reset() {
        worst_ = 0;
        last_ = clock_.nsecsElapsed();
    }
    void Tick() {
        const qint64 now = clock_.nsecsElapsed();
        worst_ = std::max(worst_, now - last_);
        last_ = now;
    }
    double WorstMs() const { return worst_ / 1e6; }
    qint64 Now() const { return clock_.nsecsElapsed(); }

  private:
    QElapsedTimer clock_;
    QTimer beat_;
    qint64 last_ = 0;
    qint64 worst_ = 0;
};

// Turns the event loop until done() or the limit; false when the limit ended it.
bool RunUntil(const std::function<bool()>& done, qint64 limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs) return false;
        QCoreApplication::processEvents();
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SKELMORA_INPUT", "window");  // no input device of this machine is read
    QApplication app(argc, argv);
    const int events = argc > 1 ? std::max(2, std::atoi(argv[1])) : 100000;
    const qint64 limitMs = (argc > 2 ? std::max(1, std::atoi(argv[2])) : 600) * 1000LL;
    QTemporaryDir dir;
    ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT "/skin"));
    CResourceManager::GetInstance().LoadLanguage(QStringLiteral("lan_en.xml"));
    controls::RegisterCompositeControls(CControlFactory::GetInstance());
    RegisterMacroControl();
    CSkelmoraUSBDevice device;
    BuildResult built =
        CDialogBuilder::Create(QStringLiteral("XML/CustomControlXML/MacroControl.xml"), &device);
    auto* panel = qobject_cast<CMacroControlUI*>(built.root);
    auto* list =
        panel ? panel->findChild<QListWidget*>(QStringLiteral("macro_action_list")) : nullptr;
    if (!panel || !list) {
        std::fprintf(stderr, "the macro editor did not build\n");
        return 1;
    }
    panel->SetMessageHandler([](const QString&, int) { return 1; });
    panel->SetFolder(dir.path() + "/");
    panel->LoadMacroList();
    panel->AddMacro();
    device.resize(800, 400);
    device.show();
    app.processEvents();
    const double startMiB = MemoryMiB("VmRSS");

    StallMeter meter;
    // A live source's pace, quickened: 200 events (KEY_A down and up, 1 ms apart) per turn of
    // the event loop.
    meter.Reset();
    const qint64 begin = meter.Now();
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
    const double recordingWorst = meter.WorstMs();
    const qint64 stopAt = meter.Now();
    panel->StopRecording(false);
    const double stopMs = (meter.Now() - stopAt) / 1e6;
    meter.Tick();
    const bool shown = RunUntil([&] { return panel->AllRowsShown(); }, limitMs);
    const double recordTotal = (meter.Now() - begin) / 1e6;
    std::printf("events %d rows %zu list items %d\n", events, panel->Rows().size(), list->count());
    std::printf(
        "record: longest UI stall %.1f ms (while recording %.1f ms, the stop %.1f ms), all rows "
        "%s after %.1f ms\n",
        std::max(meter.WorstMs(), stopMs), recordingWorst, stopMs, shown ? "shown" : "NOT shown",
        recordTotal);
    std::printf("memory: resident %.1f MiB (%.1f before the recording), peak %.1f MiB\n",
                MemoryMiB("VmRSS"), startMiB, MemoryMiB("VmHWM"));
    if (!shown) return 0;

    // The same macro shown anew: read from its file, its rows listed.
    meter.Reset();
    const qint64 showAt = meter.Now();
    panel->SelectMacro(0);
    const double showFirstMs = (meter.Now() - showAt) / 1e6;
    meter.Tick();
    const bool reshown = RunUntil([&] { return panel->AllRowsShown(); }, limitMs);
    std::printf(
        "show anew: first rows after %.1f ms, all rows %s after %.1f ms, longest UI stall %.1f "
        "ms\n",
        showFirstMs, reshown ? "shown" : "NOT shown", (meter.Now() - showAt) / 1e6,
        std::max(meter.WorstMs(), showFirstMs));
    if (!reshown) return 0;

    // Scrolling: a jump to the end, then up a page at a time (200 pages at most).
    QScrollBar* bar = list->verticalScrollBar();
    meter.Reset();
    qint64 at = meter.Now();
    bar->setValue(bar->maximum());
    app.processEvents();
    const double jumpMs = (meter.Now() - at) / 1e6;
    int pages = 0;
    double worstPage = 0;
    at = meter.Now();
    while (bar->value() > bar->minimum() && pages < 200) {
        const qint64 pageAt = meter.Now();
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        app.processEvents();
        worstPage = std::max(worstPage, (meter.Now() - pageAt) / 1e6);
        ++pages;
    }
    std::printf(
        "scroll: jump to the end %.1f ms; %d pages up in %.1f ms, longest page "
        "%.1f ms\n",
        jumpMs, pages, (meter.Now() - at) / 1e6, worstPage);
    std::printf("memory at the end: resident %.1f MiB, peak %.1f MiB\n", MemoryMiB("VmRSS"),
                MemoryMiB("VmHWM"));

    // Where a save and a read of the macro's file spend their time.
    QElapsedTimer part;
    part.start();
    const macro_codec::EventsRead read = panel->Library().LoadEvents(0);
    const double readMs = part.nsecsElapsed() / 1e6;
    part.restart();
    const bool saved = panel->Library().SaveEvents(0, read.events).ok();
    const double saveMs = part.nsecsElapsed() / 1e6;
    part.restart();
    const Json::Value copy = panel->Rows().ToEvents();
    const double copyMs = part.nsecsElapsed() / 1e6;
    part.restart();
    list->clear();
    const double clearMs = part.nsecsElapsed() / 1e6;
    std::printf(
        "parts: file read %.1f ms, file write %.1f ms%s, rows to events %.1f ms (%u), list "
        "cleared %.1f ms\n",
        readMs, saveMs, saved ? "" : " (failed)", copyMs, copy.size(), clearMs);
    return 0;
}
