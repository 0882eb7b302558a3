#pragma once
// CDeviceProfileUI ("DeviceProfile", "CDeviceProfileUI"): the profile panel of a device page,
// found on the page as "DeviceProfileItem" and built from
// "XML/CustomControlXML/DeviceProfile.xml". It shows the device's profile list in
// "device_profile_combo", lets the user add, delete, copy, rename, reset, import, export and
// link profiles, and carries the page's eight function tab options.
//
// The list itself is profiles::CProfileList; the panel keeps only the active identifier and
// its controls. Its notifications arrive through the device's Notify and go through the
// panel's own dispatch table. Messages and file choices go through callbacks the main window
// gives (the panel cannot reach the message window), so tests answer them directly.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "devices/skelmora_usb_device.h"
#include "profiles/profile_list.h"
#include "ui/control_timers.h"
#include "ui/notify.h"
#include "ui/notify_table.h"

class CDeviceProfileUI : public QWidget,
                         public INotifyUI,
                         public ui::ITimerTarget,
                         public IConnectGatedPanel {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "DeviceProfile";
    static constexpr char kLongClassName[] = "CDeviceProfileUI";
    static constexpr char kItemName[] = "DeviceProfileItem";
    static constexpr int kSwitchTimerId = 1055;
    static constexpr int kSwitchDelayMs = 400;
    static constexpr int kItemHeight = 30;
    static constexpr int kTabCount = 8;

    // Shows a translated text; buttons 0 confirm only, 1 confirm and cancel. Returns 1 when
    // confirmed.
    using MessageHandler = std::function<int(const QString& text, int buttons)>;
    // A file to import (save false) or to export to (save true); empty when cancelled.
    using FileChooser = std::function<QString(bool save)>;
    // The program to link the selected profile to: nullopt cancelled, "" unlink.
    using LinkChooser = std::function<std::optional<QString>(const QString& current)>;

    explicit CDeviceProfileUI(QWidget* parent = nullptr);
    ~CDeviceProfileUI() override;

    // Everything the page does when it is built: device type, folders, the list, tab 1, and
    // the device's profile base name set to the active identifier.
    void AttachDevice(CSkelmoraUSBDevice* device);
    CSkelmoraUSBDevice* Device() const { return device_; }

    void SetDeviceType(int type) { deviceType_ = type; }
    int GetDeviceType() const { return deviceType_; }
    // legacyProfile: the device's single profile file from before the list existed.
    void SetFolders(const QString& userDataFolder, const QString& defaultProfile,
                    const QString& legacyProfile = {});
    void LoadList();
    void SelectProfile(int index, bool notify);

    int GetSelection() const;
    QString GetNameText() const;
    void SetNameText(const QString& text);
    QString GetActiveIdentifier() const { return activeIdentifier_; }
    int GetProfileCount() const;
    QString GetProfilePath(int index) const;
    profiles::CProfileList* List() const { return list_.get(); }

    // The operations behind the buttons (no dialogs); each returns whether it changed
    // something.
    bool AddProfile();
    bool DeleteProfile();
    bool CopyProfile();
    bool ImportProfile(const QString& path);
    bool ExportProfile(const QString& path);
    bool ResetProfile();
    int RenameProfile(const QString& name);
    bool LinkProfile(const QString& program);

    void ShowMenu(bool show);
    bool IsMenuShown() const;
    // 1 deng, 2 key, 3 macro, 4 system, 5 cursor, 6 voice, 7 voice changer, 8 surround.
    void SelectTab(int tab);

    // Switch profile: the combo's selection becomes the active profile of the device.
    void SwitchToSelection();
    // The same for an entry the program-link rule chose.
    void SwitchToEntry(int index);

    void SetMessageHandler(MessageHandler handler) { message_ = std::move(handler); }
    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    void SetLinkChooser(LinkChooser chooser) { chooseLink_ = std::move(chooser); }

    void Notify(TNotifyUI& msg) override;
    void DoTimer(int id) override;
    // The combo, the name edit with its save button and the profile menu: they switch, copy,
    // reset, import and export profiles, so they wait for the device's connect. The tabs do
    // not.
    std::vector<QWidget*> ConnectGatedControls() const override;

    static QWidget* Create(QWidget* parent) { return new CDeviceProfileUI(parent); }
    static const char* const kTabNames[kTabCount];

  signals:
    // After a switch of the active profile (by the user, a delete or a link).
    void activeProfileChanged(int index);
    // After any change of the list's entries or links.
    void listChanged();
    // After a profile was reset to the shipped one (the audio styles follow it).
    void profileReset();

  private:
    // {type, control (nullptr: any), handler}: the dispatch-table form every panel uses.
    using Handler = ui::NotifyRow<CDeviceProfileUI>;
    static const Handler kHandlers[];

    QWidget* Control(const char* name) const;
    void FillCombo(int selection);
    void ShowText(const QString& textId, int number = 0, bool hasNumber = false);
    int Confirm(const QString& textId);
    void ApplyTabVisibility();
    void RunSwitch(int index, bool reloadLists);

    void OnItemSelect(TNotifyUI&);
    void OnAdd(TNotifyUI&);
    void OnDelete(TNotifyUI&);
    void OnCopy(TNotifyUI&);
    void OnImport(TNotifyUI&);
    void OnExport(TNotifyUI&);
    void OnReset(TNotifyUI&);
    void OnRename(TNotifyUI&);
    void OnSpread(TNotifyUI&);
    void OnLink(TNotifyUI&);
    void OnTab(TNotifyUI&);

    QPointer<CSkelmoraUSBDevice> device_;
    std::unique_ptr<profiles::CProfileList> list_;
    int deviceType_ = 0;
    QString userDataFolder_;
    QString defaultProfile_;
    QString activeIdentifier_;
    MessageHandler message_;
    FileChooser chooseFile_;
    LinkChooser chooseLink_;
};

// Registers "DeviceProfile" and "CDeviceProfileUI" with the control factory.
void RegisterProfilePanel();
