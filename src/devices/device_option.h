#pragma once
// CDeviceOptionUI ("DeviceOption"): a device's item in the device selector. It shows the
// device's icon and name, switches the main window to the device's page when chosen, offers
// the check option that puts the device into synchronised lighting, and through its control
// timers is the heartbeat of its device on the UI thread: it connects the device, streams
// its light frames, forwards its event reports, refreshes its status and watches a wireless
// device's link. Every timer is one-shot: its handler kills it and re-arms it when it wants
// to run again.
//
// Children, found by name at first use: "device_select" (option), "synchro_device_select"
// (option) and "device_select_name" (label).
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "ui/control_timers.h"

class CSkelmoraUSBDevice;

namespace selector {

// The image set and name text of a kind code and sub-key.
struct ImageSet {
    const char* prefix;
    const char* nameTextKey;
};
inline constexpr char kImageFolder[] = "common/device_ico/";
inline constexpr ImageSet kUnknownImageSet{"unknow_device", "unknow_device_name_text"};
// None: the kind code keeps the images and text it has (a mouse pad of an unknown sub-key).
std::optional<ImageSet> ImageSetOf(int kindCode, int subKey);
// "common/device_ico/" + prefix + suffix ("_normal.png", "_selected.png", ...).
QString ImagePath(const char* prefix, const char* suffix);

}  // namespace selector

class CDeviceOptionUI : public QWidget, public ui::ITimerTarget {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "DeviceOption";
    static constexpr char kLayoutFile[] = "XML/CustomControlXML/DeviceOption.xml";

    enum TimerId {
        kFrameTimer = 1000,
        kConnectTimer = 1001,
        kEventTimer = 1002,
        kFirstHookTimer = 1003,
        kSecondHookTimer = 1004,
        kStatusTimer = 1005,
        kLinkWatchTimer = 1007,
    };

    // Milliseconds of the timers (tests shorten them).
    struct Intervals {
        int connect = 500;
        int firstFrame = 5;
        int wiredFrame = 5;
        int wirelessFrame = 500;
        int previewFrame = 33;  // frames that only repaint the page's previews
        int hiddenFrame = 100;  // nothing streamed and no preview on screen
        int linkRetry = 3000;
        int firstStatus = 50;
        int status = 5000;
        int firstLinkWatch = 2000;
        int linkWatch = 3000;
    };

    // Told when the item should be shown (1) or hidden (0), with the device's model index.
    using VisibilityCallback = std::function<void(int modelIndex, int show)>;

    explicit CDeviceOptionUI(QWidget* parent = nullptr);
    ~CDeviceOptionUI() override;

    void SetDeviceType(int kindCode, int subKey);
    int GetKindCode() const { return m_kindCode; }
    int GetSubKey() const { return m_subKey; }
    QString GetNormalImage() const { return m_normalImage; }
    QString GetSelectedImage() const { return m_selectedImage; }
    QString GetSynchroNormalImage() const { return m_synchroNormalImage; }
    QString GetSynchroSelectedImage() const { return m_synchroSelectedImage; }

    void SetGroup(const QString& group);
    void BindPage(const QString& tabContainer, int pageIndex);
    int GetPageIndex();
    QString GetPageContainer();
    // A negative index leaves the stored one.
    void SetPowerIndex(const QString& container, int index);
    QString GetPowerContainer() const { return m_powerContainer; }
    int GetPowerIndex() const { return m_powerIndex; }
    void SetName(const QString& text);

    void LinkDevice(CSkelmoraUSBDevice* device);
    CSkelmoraUSBDevice* GetDevice() const { return m_device; }
    void SetDevicePanel(QWidget* panel) { m_devicePanel = panel; }
    QWidget* GetDevicePanel() const { return m_devicePanel; }
    void SetVisibilityCallback(VisibilityCallback callback) { m_visibility = std::move(callback); }
    void SetIntervals(const Intervals& intervals) { m_intervals = intervals; }

    void SetVisible(bool visible);
    bool IsShown() const { return m_visible; }
    void Select(bool selected);
    bool IsSelected();
    void SetSynchro(bool on);
    bool IsSynchro();
    void ShowSynchro(bool visible);
    // Sends "selectchanged" for the item when it can be activated (enabled and shown).
    bool Activate();

    // Timer 1001 after the connect interval.
    void StartConnect();
    // Timer 1007 after milliseconds, only while the device's command channel is open.
    void StartLinkWatch(int milliseconds);

    void DoTimer(int id) override;

  private:
    QWidget* Option();
    QWidget* SynchroOption();
    QWidget* NameLabel();
    QWidget* Child(QPointer<QWidget>& cache, const char* name);
    void ApplyImages();
    void TellVisibility(int show);
    bool ChannelOpen() const;

    void OnFrameTimer();
    int FramePace() const;  // the frame timer's interval for the device's current needs
    void OnConnectTimer();
    void OnStatusTimer();
    void OnLinkWatchTimer();

    QPointer<CSkelmoraUSBDevice> m_device;
    QPointer<QWidget> m_devicePanel;
    QPointer<QWidget> m_option;
    QPointer<QWidget> m_synchroOption;
    QPointer<QWidget> m_nameLabel;
    bool m_visible = true;
    int m_kindCode = 0;
    int m_subKey = 0;
    QString m_synchroSelectedImage;
    QString m_synchroNormalImage;
    QString m_selectedImage;
    QString m_normalImage;
    QString m_powerContainer = QStringLiteral("device_power_switch");
    int m_powerIndex = -1;
    Intervals m_intervals;
    VisibilityCallback m_visibility;
};
