#pragma once
// CSkelmoraMousePadDevice ("SkelmoraMousePadDevice"): a lighted mouse pad (kind 3).
#include "devices/skelmora_usb_device.h"

class CSkelmoraMousePadDevice : public CSkelmoraUSBDevice {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "SkelmoraMousePadDevice";

    explicit CSkelmoraMousePadDevice(QWidget* parent = nullptr,
                                     std::shared_ptr<hid::IHidBackend> backend = nullptr);
    ~CSkelmoraMousePadDevice() override;

    void OnConnected() override;

  protected:
    std::optional<light::LightModeRow> CurrentLightMode() const override;
    void OwnLightRoutine() override;
};
