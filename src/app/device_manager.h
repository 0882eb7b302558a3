#pragma once
// CDeviceManager: the main window's side of discovery. It keeps one device object per
// physical device (never destroyed while the window lives), creates a device's page,
// selector item and power item, attaches and detaches its command and event interfaces as
// discovery reports them, and shows and hides its selector item.
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "devices/audio_bridge.h"
#include "hid/hid_backend.h"
#include "tables/device_tables.h"
#include "ui/notify.h"

class CDeviceOptionUI;
class CDeviceProfileUI;
class CLinkProbe;
struct LightPanelHost;
class CSkelmoraUSBDevice;
class CSkelmoraHS6533Device;
namespace platform {
class CProgramWatcher;
}
class QStackedWidget;
class WindowImplBase;

class CDeviceManager {
  public:
    CDeviceManager(WindowImplBase* window, std::shared_ptr<hid::IHidBackend> backend);
    ~CDeviceManager();

    // The detected list of the discovery (read on the UI thread inside found and lost only).
    void SetDetectedList(const std::vector<DeviceIdentity>* detected) { detected_ = detected; }
    // The mouse and the keyboard exist, hidden, from the start.
    void PrecreateDevices();

    void OnDeviceFound(int row);  // 0xC12
    void OnDeviceLost(int row);   // 0xC13
    bool CreateDevice(int row);

    void ShowDeviceItem(int index, bool visible, bool select);
    void HideDeviceItem(int index);
    // 0xD03 with lParam 1: shows a hidden item, selecting it when no item was visible.
    void ShowHiddenItem(int index);
    void SelectNeighbour(int direction);
    void UpdateNoDeviceLink();
    // A page or selector notification that the window does not handle itself; whether a
    // handler took it. A notification nobody handled is logged once per type and name.
    bool RouteNotify(TNotifyUI& msg);
    // Single-key capture (0x41E) of the shown device's key assignment panel; off stops it on
    // every panel. A panel asks for it through captureRequest (the window's switch) when
    // given, else switches itself.
    void SetKeyCapture(bool on);
    std::function<void(bool on)> captureRequest;
    // Key edits wait to be written or a macro recording runs on some device: the selector
    // is disabled and linked profiles do not switch meanwhile.
    bool IsEditing() const;
    void UpdateSelectorLock();
    // What every lighting panel gets from the main window (given to the panels of devices
    // created later too).
    void SetLightPanelHost(std::shared_ptr<const LightPanelHost> host);
    // Runs after any device's profile was reset (the window restores the audio styles).
    void SetProfileResetHandler(std::function<void()> handler) {
        profileResetHandler_ = std::move(handler);
    }
    // Stops every device's threads and closes its channels, and the program watcher.
    void StopAll();
    // The link names of every device's profile list go to the program watcher; a profile
    // panel's list calls it after each change.
    void UpdateLinkNames();

    int ItemCount() const { return static_cast<int>(items_.size()); }
    int VisibleItemCount() const;
    int SelectedItem() const;
    // Whether a link probe of this device is still running (tests).
    bool IsProbingLink(const CSkelmoraUSBDevice* device) const;
    int ItemIndexOfModel(int modelIndex) const;
    CDeviceOptionUI* Item(int index) const;
    CSkelmoraUSBDevice* DeviceOfItem(int index) const;
    std::vector<CSkelmoraUSBDevice*> DevicesOfKind(int kind) const;
    std::vector<CSkelmoraUSBDevice*> AllDevices() const;

  private:
    struct Entry {
        QPointer<CDeviceOptionUI> item;
        QPointer<CSkelmoraUSBDevice> device;
        QPointer<QWidget> power;
        int pageIndex = -1;
        int powerIndex = -1;
    };

    const DeviceIdentity& Row(int row) const;
    DeviceIdentity RowOrPartner(int row) const;
    bool IsReceiverKind(int kind) const {
        return kind == kKindMouseReceiver || kind == kKindKeyboardReceiver;
    }
    std::vector<QPointer<CSkelmoraUSBDevice>>& ListOfKind(int kind);
    const std::vector<QPointer<CSkelmoraUSBDevice>>& ListOfKind(int kind) const;
    CSkelmoraUSBDevice* FindByIdentity(int kind, const DeviceIdentity& identity) const;
    bool DeviceExistsFor(int row) const;
    void AttachCommandInterface(int row);
    void AttachEventInterface(int row);
    void DetachCommandInterface(int row);
    void DetachEventInterface(int row);
    void SwitchConnection(int row);
    void GiveHeadsetAudio(CSkelmoraHS6533Device* headset, const std::string& path);
    audio::UsbPosition UsbPositionOfPath(const std::string& path) const;
    void AttachVoicePanels(CSkelmoraHS6533Device* headset);
    int ItemIndexOfDevice(const CSkelmoraUSBDevice* device) const;
    QStackedWidget* Stack(const char* name) const;

    std::function<void()> profileResetHandler_;
    WindowImplBase* window_;
    std::shared_ptr<hid::IHidBackend> backend_;
    const std::vector<DeviceIdentity>* detected_ = nullptr;
    std::vector<QPointer<CSkelmoraUSBDevice>> keyboards_, mice_, mousePads_, headsets_;
    std::vector<Entry> items_;
    // One watcher for every device's linked profiles; each panel follows it.
    std::unique_ptr<platform::CProgramWatcher> watcher_;
    std::vector<QPointer<CDeviceProfileUI>> panels_;
    void FollowProgramLinks(CDeviceProfileUI* panel);
    // Link queries of mice that moved to their receiver, running off the UI thread.
    std::map<const CSkelmoraUSBDevice*, std::unique_ptr<CLinkProbe>> probes_;
    std::optional<bool> noDeviceShown_;  // for the trace of changes only
    std::set<QString> unhandled_;        // "type name" of notifications logged as unhandled
    std::shared_ptr<const LightPanelHost> lightHost_;
};
