#pragma once
// CSkelmoraKeyboardDevice ("SkelmoraKeyboardDevice"): a keyboard, wired (kind 1) or through a
// receiver (kind 9). Its light thread paces the keyboard's preview by effect code.
#include "devices/skelmora_usb_device.h"

class CSkelmoraKeyboardDevice : public CSkelmoraUSBDevice {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "SkelmoraKeyboardDevice";

    explicit CSkelmoraKeyboardDevice(QWidget* parent = nullptr,
                                     std::shared_ptr<hid::IHidBackend> backend = nullptr);
    ~CSkelmoraKeyboardDevice() override;

    void OnConnected() override;
    // Only a wireless keyboard whose receiver reports a linked keyboard.
    bool IsLinked() override;

  protected:
    std::optional<light::LightModeRow> CurrentLightMode() const override;
    const char* LightThreadExitTrace() const override;
    device_events::EventClass EventClassOf(EventInterface which) const override;
    const char* EventThreadExitTrace() const override;
};
