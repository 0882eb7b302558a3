#pragma once
// CSkelmoraMouseDevice ("SkelmoraMouseDevice"): a mouse, wired (kind 2) or through a
// receiver (kind 6).
#include "devices/skelmora_usb_device.h"

class CSkelmoraMouseDevice : public CSkelmoraUSBDevice {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "SkelmoraMouseDevice";

    explicit CSkelmoraMouseDevice(QWidget* parent = nullptr,
                                  std::shared_ptr<hid::IHidBackend> backend = nullptr);
    ~CSkelmoraMouseDevice() override;

    void OnConnected() override;
    // Only a wireless mouse whose receiver reports a linked mouse.
    bool IsLinked() override;

  protected:
    std::optional<light::LightModeRow> CurrentLightMode() const override;
    device_events::EventClass EventClassOf(EventInterface which) const override;
    const char* EventThreadExitTrace() const override;
};
