#pragma once
// CSkelmoraHS6533Device ("SkelmoraHS6533Device"): the USB headset on the CM6533 audio chip (kind
// 7).
#include "devices/skelmora_usb_device.h"

class CSkelmoraHS6533Device : public CSkelmoraUSBDevice {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "SkelmoraHS6533Device";

    explicit CSkelmoraHS6533Device(QWidget* parent = nullptr,
                                   std::shared_ptr<hid::IHidBackend> backend = nullptr);
    ~CSkelmoraHS6533Device() override;

    void OnConnected() override;
    // The headset's LEDs take short output reports of their own, not the command channel's
    // light frames; until that output is built a frame only updates the previews.
    bool SendLightFrame() override;
    FrameNeed GetFrameNeed() const override;

  protected:
    std::optional<light::LightModeRow> CurrentLightMode() const override;
};
