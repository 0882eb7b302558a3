#pragma once
// CShootControlUI ("ShootControl"): the recoil pattern editor of the mouse page, found on the
// page as "ShootControlItem" and built from "XML/CustomControlXML/ShootControl.xml". Four guns
// of 30 bullets; each bullet a horizontal and a vertical move and a delay, kept in the gun's
// ".Shoot" file of the mouse's profile folder (devices/mouse/shoot_files.h).
//
// The user's actions are rows of the panel's dispatch table (the mouse page hands it the
// notifications of its controls): gun and bullet options, previous and next, leaving a bullet
// edit or changing a check (StoreBullet), reset, import, export, save (the mouse's
// WriteShootPatterns). Reset, import and export copy whole files through a temporary file; a
// refused or failed copy changes nothing and is shown. File choices and messages go through
// handlers that tests answer directly.
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <optional>

#include "devices/mouse/shoot_codec.h"
#include "devices/write_outcome.h"
#include "ui/notify.h"
#include "ui/notify_table.h"

class QFileDialog;
class CSkelmoraMouseDevice;

class CShootControlUI : public QWidget, public INotifyUI {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "ShootControl";
    static constexpr char kItemName[] = "ShootControlItem";
    static constexpr int kGunCount = shoot::kGunCount;
    static constexpr int kBulletsPerGun = shoot::kBulletsPerGun;

    // A path chosen by the user, or empty when cancelled.
    using FileChooser = std::function<QString(bool save)>;
    // Shows a message; returns the button chosen.
    using MessageHandler = std::function<int(const QString& text, int buttons)>;

    explicit CShootControlUI(QWidget* parent = nullptr);
    static QWidget* Create(QWidget* parent) { return new CShootControlUI(parent); }

    void SetFolder(const QString& folder) { folder_ = folder; }
    void SetDefaultFolder(const QString& folder) { defaultFolder_ = folder; }
    const QString& Folder() const { return folder_; }

    // Finds the controls (true when all exist), and gives every gun whose file is missing or
    // empty its factory pattern. No gun is selected afterwards.
    bool InitShootPanel();
    bool AllControlsFound() const { return allFound_; }

    // g limited to 0..3: its option selected, its picture shown, its current bullet shown.
    void SelectGun(int g);
    // b limited to 0..29: its option selected, "bullet_select_index" shows b + 1.
    void SelectBullet(int b);
    void PreviousBullet() { SelectBullet(selectedBullet_ - 1); }
    void NextBullet() { SelectBullet(selectedBullet_ + 1); }
    // Bullet b of gun g into the edits and checks (missing bullets show zero moves).
    void ShowBullet(int g, int b);
    // The edits and checks into bullet b of gun g's file: distances limited to 0..255, the
    // delay to 0..65,535, text that is not a number to 0; the edits then show what was stored.
    // Empty reason on success.
    std::string StoreBullet(int g, int b);
    // Copies of the factory file, of a chosen file (checked first) and to a chosen path;
    // empty reason on success. The shown bullet is read again after a change.
    std::string ResetGun(int g);
    std::string ImportGun(const QString& path);
    std::string ExportGun(const QString& path);

    int SelectedGun() const { return selectedGun_; }
    int SelectedBullet() const { return selectedBullet_; }
    const std::optional<WriteOutcome>& LastUpload() const { return lastUpload_; }

    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    void SetMessageHandler(MessageHandler handler) { message_ = std::move(handler); }
    // The file dialog the panel opens: "Shoot Files(*.shoot)", matched without regard to case
    // so that the shipped ".Shoot" files are listed.
    static void ConfigureFileDialog(QFileDialog& dialog, bool save);

    void Notify(TNotifyUI& msg) override;

  private:
    // {type, control name or prefix followed by a number, numbered, handler}.
    using Handler = ui::NumberedNotifyRow<CShootControlUI>;
    static const Handler kHandlers[];

    QWidget* Control(const QString& name) const;
    QWidget* Numbered(const char* prefix, int n) const;
    std::filesystem::path GunPath(int g) const;
    CSkelmoraMouseDevice* Mouse() const;
    void ShowCheckTexts();
    void Tell(const char* textId, const std::string& reason);

    void OnGun(int g);
    void OnBullet(int b);
    void OnPrevious(int);
    void OnNext(int);
    void OnStore(int);
    void OnReset(int);
    void OnImport(int);
    void OnExport(int);
    void OnSave(int);

    int selectedGun_ = 0;
    int selectedBullet_ = -1;
    bool allFound_ = false;
    QString folder_;
    QString defaultFolder_;
    FileChooser chooseFile_;
    MessageHandler message_;
    std::optional<WriteOutcome> lastUpload_;
};

// Registers "ShootControl" with the control factory.
void RegisterShootPanel();
