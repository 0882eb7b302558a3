#include "platform/input_hook.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QWidget>
#include <chrono>
#include <filesystem>

#include "platform/evdev_reader.h"
#include "platform/log_categories.h"

namespace platform {
namespace {

// Qt's native scan code of a key under X11 and Wayland is the Linux key code + 8.
constexpr quint32 kXkbOffset = 8;

int64_t SteadyNowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::optional<MouseButton> ButtonOf(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return MouseButton::Left;
        case Qt::RightButton:
            return MouseButton::Right;
        case Qt::MiddleButton:
            return MouseButton::Middle;
        case Qt::BackButton:
            return MouseButton::Back;
        case Qt::ForwardButton:
            return MouseButton::Forward;
        default:
            return std::nullopt;
    }
}

bool WindowAsked() { return qEnvironmentVariable("SKELMORA_INPUT") == QLatin1String("window"); }

}  // namespace

InputHook::InputHook(ScanCodeOf scanCodeOf, QObject* parent)
    : QObject(parent), scanCodeOf_(std::move(scanCodeOf)) {}

InputHook::~InputHook() { Stop(); }

bool InputHook::EvdevReadable() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/input", error)) {
        if (entry.path().filename().string().rfind("event", 0) != 0) continue;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            return true;
        }
    }
    return false;
}

HookSource InputHook::Start(HookMode mode) {
    Stop();
    mode_ = mode;
    if (!WindowAsked() && EvdevReadable()) {
        QPointer<InputHook> self(this);
        auto sink = [self](const RawInputEvent& raw) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, raw] {
                    if (!self || !self->reader_) return;
                    self->reader_->Taken();
                    if (auto event = FromRawEvent(raw)) self->Deliver(*event);
                },
                Qt::QueuedConnection);
        };
        auto stalled = [self] {
            QMetaObject::invokeMethod(
                self.data(),
                [self] {
                    if (self) emit self->GrabReleased();
                },
                Qt::QueuedConnection);
        };
        reader_ = std::make_unique<EvdevReader>(sink, stalled, true);
        if (reader_->Start()) {
            source_ = HookSource::Evdev;
            qCDebug(lcPlatform) << "input hook: evdev, keys"
                                << (reader_->Grabbing() ? "grabbed" : "not grabbed");
            return source_;
        }
        reader_.reset();
    }
    windowClockOffsetUs_.reset();
    qApp->installEventFilter(this);
    filtering_ = true;
    source_ = HookSource::InWindow;
    qCDebug(lcPlatform) << "input hook: the program's own window";
    return source_;
}

HookSource InputHook::StartReplay(const std::vector<RawInputEvent>& events) {
    Stop();
    mode_ = HookMode::Record;
    source_ = HookSource::Replay;
    QPointer<InputHook> self(this);
    for (const RawInputEvent& raw : events) {
        QMetaObject::invokeMethod(
            this,
            [self, raw] {
                if (!self || self->source_ != HookSource::Replay) return;
                if (auto event = FromRawEvent(raw)) self->Deliver(*event);
            },
            Qt::QueuedConnection);
    }
    return source_;
}

void InputHook::Stop() {
    if (reader_) {
        reader_->Stop();  // joins the thread and releases every grab
        reader_.reset();
    }
    if (filtering_ && qApp) qApp->removeEventFilter(this);
    filtering_ = false;
    source_ = HookSource::None;
}

bool InputHook::KeysSwallowed() const { return reader_ && reader_->Grabbing(); }

void InputHook::Deliver(InputEvent event) {
    if (event.device == InputEvent::Device::Key) {
        const auto scan = scanCodeOf_ ? scanCodeOf_(event.code) : std::nullopt;
        if (scan) {
            event.scan_code = scan->first;
            event.extended = scan->second;
        }
    }
    emit InputReceived(event);
}

bool InputHook::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool key = type == QEvent::KeyPress || type == QEvent::KeyRelease;
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease;
    // Events reach the filter once per widget on their way up. Keys are taken at the first
    // widget they reach (the focused one), before it can use them: a focused button would
    // take Space as a click and an edit would type letters, and neither would reach the
    // window. Mouse buttons are taken at the window, where only those no control used arrive.
    if ((!key && !mouse) || !watched->isWidgetType() ||
        (mouse && !static_cast<QWidget*>(watched)->isWindow()))
        return QObject::eventFilter(watched, event);
    auto* input = static_cast<QInputEvent*>(event);
    const int64_t stamp = static_cast<int64_t>(input->timestamp()) * 1000;
    if (!windowClockOffsetUs_) windowClockOffsetUs_ = SteadyNowUs() - stamp;
    InputEvent out;
    out.time_us = static_cast<uint64_t>(stamp + *windowClockOffsetUs_);
    if (key) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->nativeScanCode() <= kXkbOffset) return true;
        out.device = InputEvent::Device::Key;
        out.code = static_cast<uint16_t>(k->nativeScanCode() - kXkbOffset);
        out.state = type == QEvent::KeyRelease ? KeyState::Released
                    : k->isAutoRepeat()        ? KeyState::Repeat
                                               : KeyState::Pressed;
        Deliver(out);
        return true;  // captured keys never type into the window
    }
    auto* m = static_cast<QMouseEvent*>(event);
    if (const auto button = ButtonOf(m->button())) {
        out.device = InputEvent::Device::Button;
        out.button = *button;
        out.state = type == QEvent::MouseButtonRelease ? KeyState::Released : KeyState::Pressed;
        Deliver(out);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace platform
