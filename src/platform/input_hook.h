#pragma once
// The input hook: key and mouse button events for single-key capture and macro recording,
// from one of three sources, always delivered on the UI thread by queued calls:
//   - evdev: the input devices under /dev/input, while the user may read them. Keyboards
//     (devices with letter keys) and mice (devices with BTN_LEFT) are read; devices plugged
//     meanwhile join. Keyboards are grabbed, so the keys reach no other program, when
//     /dev/uinput is writable: Caps Lock, Num Lock and Scroll Lock are then passed on through
//     a uinput device of our own, which the reader ignores. Without uinput nothing is grabbed.
//     Mice are never grabbed.
//   - in-window: the key and mouse events of the program's own windows.
//   - replay: the events of an evemu-record file, through the same delivery.
// A grab never outlives the hook: it ends on Stop, in the destructor, when the UI thread has
// not taken events for two seconds (the reader thread releases it itself), and with the
// process (the kernel drops the grabs of closed descriptors).
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/input_event.h"

class QWidget;

namespace platform {

enum class HookSource { None, Evdev, InWindow, Replay };
enum class HookMode { SingleKey, Record };

class EvdevReader;

class InputHook : public QObject {
    Q_OBJECT
  public:
    // The scan code and extended flag of a Linux input key code (from the key tables).
    using ScanCodeOf = std::function<std::optional<std::pair<uint16_t, bool>>(uint16_t code)>;

    explicit InputHook(ScanCodeOf scanCodeOf, QObject* parent = nullptr);
    ~InputHook() override;

    // evdev when an input device can be read (and SKELMORA_INPUT=window does not ask for the
    // window), else the in-window source. Restarting stops the running source first.
    HookSource Start(HookMode mode);
    // Delivers the events (queued, in order) as a live source would.
    HookSource StartReplay(const std::vector<RawInputEvent>& events);
    void Stop();

    HookSource Source() const { return source_; }
    HookMode Mode() const { return mode_; }
    // Keys are grabbed: they reach no other program while the hook runs.
    bool KeysSwallowed() const;
    // Whether any /dev/input/event* node can be opened for reading.
    static bool EvdevReadable();

  signals:
    void InputReceived(const platform::InputEvent& event);
    // The reader released its grab because the UI thread stalled.
    void GrabReleased();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Deliver(InputEvent event);

    ScanCodeOf scanCodeOf_;
    HookSource source_ = HookSource::None;
    HookMode mode_ = HookMode::Record;
    std::unique_ptr<EvdevReader> reader_;
    bool filtering_ = false;
    std::optional<int64_t> windowClockOffsetUs_;
};

}  // namespace platform
