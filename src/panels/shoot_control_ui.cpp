#include "panels/shoot_control_ui.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QStackedWidget>
#include <filesystem>

#include "devices/mouse/shoot_files.h"
#include "devices/skelmora_mouse_device.h"
#include "platform/log_categories.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace {

constexpr char kGunOption[] = "shoot_gun_op_";
constexpr char kBulletOption[] = "bullet_op_";
constexpr char kImageSwitch[] = "shoot_image_display_switch";
constexpr char kEditLayout[] = "bullet_edit_layout";
constexpr char kIndexLabel[] = "bullet_select_index";
constexpr char kPrevious[] = "bullet_selected_prev";
constexpr char kNext[] = "bullet_selected_next";
constexpr char kXCheck[] = "bullet_x_check";
constexpr char kYCheck[] = "bullet_y_check";
constexpr char kXEdit[] = "bullet_x_eidt";
constexpr char kYEdit[] = "bullet_y_eidt";
constexpr char kDelayEdit[] = "bullet_delay_eidt";
constexpr char kImport[] = "shootdate_import_btn";
constexpr char kExport[] = "shootdate_export_btn";
constexpr char kSave[] = "shootdate_save_btn";
constexpr char kReset[] = "shootdate_reset_btn";
constexpr char kFilter[] = "Shoot Files(*.shoot)";

// Decimal text limited to 0..maximum; anything that is not a number is 0.
int EditValue(const QWidget* edit, int maximum) {
    bool ok = false;
    const qlonglong value = ui::GetText(edit).trimmed().toLongLong(&ok);
    if (!ok || value < 0) return 0;
    return static_cast<int>(std::min<qlonglong>(value, maximum));
}

}  // namespace

const CShootControlUI::Handler CShootControlUI::kHandlers[] = {
    {notify_type::kSelectChanged, kGunOption, true, &CShootControlUI::OnGun},
    {notify_type::kSelectChanged, kBulletOption, true, &CShootControlUI::OnBullet},
    {notify_type::kClick, kPrevious, false, &CShootControlUI::OnPrevious},
    {notify_type::kClick, kNext, false, &CShootControlUI::OnNext},
    {notify_type::kKillFocus, kXEdit, false, &CShootControlUI::OnStore},
    {notify_type::kKillFocus, kYEdit, false, &CShootControlUI::OnStore},
    {notify_type::kKillFocus, kDelayEdit, false, &CShootControlUI::OnStore},
    {notify_type::kSelectChanged, kXCheck, false, &CShootControlUI::OnStore},
    {notify_type::kSelectChanged, kYCheck, false, &CShootControlUI::OnStore},
    {notify_type::kClick, kReset, false, &CShootControlUI::OnReset},
    {notify_type::kClick, kImport, false, &CShootControlUI::OnImport},
    {notify_type::kClick, kExport, false, &CShootControlUI::OnExport},
    {notify_type::kClick, kSave, false, &CShootControlUI::OnSave},
};

CShootControlUI::CShootControlUI(QWidget* parent) : QWidget(parent) {
    chooseFile_ = [this](bool save) {
        QFileDialog dialog(this);
        ConfigureFileDialog(dialog, save);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().first();
    };
}

void CShootControlUI::ConfigureFileDialog(QFileDialog& dialog, bool save) {
    dialog.setNameFilter(QLatin1String(kFilter));
    // The shipped files are named ".Shoot": the filter ignores case, or they would not show.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) dialog.setDefaultSuffix(QStringLiteral("Shoot"));
}

QWidget* CShootControlUI::Control(const QString& name) const {
    return CPaintManagerUI::FindSubControlByName(this, name);
}

QWidget* CShootControlUI::Numbered(const char* prefix, int n) const {
    return Control(QLatin1String(prefix) + QString::number(n));
}

std::filesystem::path CShootControlUI::GunPath(int g) const {
    return shoot::GunFile(std::filesystem::path(folder_.toStdString()), g);
}

CSkelmoraMouseDevice* CShootControlUI::Mouse() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* mouse = qobject_cast<CSkelmoraMouseDevice*>(w)) return mouse;
    }
    return nullptr;
}

bool CShootControlUI::InitShootPanel() {
    allFound_ = true;
    for (const char* name : {kImageSwitch, kEditLayout, kIndexLabel, kPrevious, kNext, kXCheck,
                             kYCheck, kXEdit, kYEdit, kDelayEdit, kImport, kExport, kSave, kReset})
        allFound_ = allFound_ && Control(QLatin1String(name));
    for (int g = 0; g < kGunCount; ++g) allFound_ = allFound_ && Numbered(kGunOption, g);
    for (int b = 0; b < kBulletsPerGun; ++b) allFound_ = allFound_ && Numbered(kBulletOption, b);
    if (!allFound_) qCWarning(lcUi) << "recoil editor: the layout lacks some of its controls";
    if (!folder_.isEmpty()) {
        const int reset = shoot::InitGunFiles(folder_.toStdString(), defaultFolder_.toStdString());
        if (reset > 0)
            qCDebug(lcUi) << "recoil editor:" << reset << "guns given their factory pattern";
    }
    return allFound_;
}

void CShootControlUI::SelectGun(int g) {
    g = std::clamp(g, 0, kGunCount - 1);
    selectedGun_ = g;
    for (int i = 0; i < kGunCount; ++i) {
        if (QWidget* option = Numbered(kGunOption, i)) ui::SetSelected(option, i == g);
    }
    if (auto* pictures = qobject_cast<QStackedWidget*>(Control(QLatin1String(kImageSwitch))))
        pictures->setCurrentIndex(g);
    if (selectedBullet_ >= 0) ShowBullet(g, selectedBullet_);
}

void CShootControlUI::SelectBullet(int b) {
    b = std::clamp(b, 0, kBulletsPerGun - 1);
    selectedBullet_ = b;
    for (int i = 0; i < kBulletsPerGun; ++i) {
        if (QWidget* option = Numbered(kBulletOption, i)) ui::SetSelected(option, i == b);
    }
    if (QWidget* label = Control(QLatin1String(kIndexLabel)))
        ui::SetText(label, QString::number(b + 1));
    ShowBullet(selectedGun_, b);
}

void CShootControlUI::ShowBullet(int g, int b) {
    const shoot::GunRead read = shoot::ReadGunForEditing(GunPath(g));
    if (!read.error.empty()) qCWarning(lcUi).noquote() << "recoil editor:" << read.error.c_str();
    const shoot::Bullet bullet = shoot::ReadBullet(read.events, b);
    if (QWidget* x = Control(QLatin1String(kXEdit)))
        ui::SetText(x, QString::number(bullet.horizontal));
    if (QWidget* y = Control(QLatin1String(kYEdit)))
        ui::SetText(y, QString::number(bullet.vertical));
    if (QWidget* delay = Control(QLatin1String(kDelayEdit)))
        ui::SetText(delay, QString::number(bullet.delay));
    if (QWidget* check = Control(QLatin1String(kXCheck))) ui::SetSelected(check, bullet.left);
    if (QWidget* check = Control(QLatin1String(kYCheck))) ui::SetSelected(check, bullet.up);
    ShowCheckTexts();
}

void CShootControlUI::ShowCheckTexts() {
    const auto show = [this](const char* name, const char* on, const char* off) {
        QWidget* check = Control(QLatin1String(name));
        if (!check) return;
        check->setProperty("textid", QLatin1String(ui::IsSelected(check) ? on : off));
        const QString text = CResourceManager::GetInstance().GetText(
            QLatin1String(ui::IsSelected(check) ? on : off));
        ui::SetText(check, text.isEmpty() ? QLatin1String(ui::IsSelected(check) ? on : off) : text);
    };
    show(kXCheck, "mouse_move_to_left_text", "mouse_move_to_right_text");
    show(kYCheck, "mouse_move_to_up_text", "mouse_move_to_down_text");
}

std::string CShootControlUI::StoreBullet(int g, int b) {
    if (g < 0 || g >= kGunCount || b < 0 || b >= kBulletsPerGun) return "no such bullet";
    shoot::Bullet bullet;
    QWidget* x = Control(QLatin1String(kXEdit));
    QWidget* y = Control(QLatin1String(kYEdit));
    QWidget* delay = Control(QLatin1String(kDelayEdit));
    bullet.horizontal = static_cast<uint8_t>(x ? EditValue(x, 255) : 0);
    bullet.vertical = static_cast<uint8_t>(y ? EditValue(y, 255) : 0);
    bullet.delay = static_cast<uint16_t>(delay ? EditValue(delay, shoot::kMaxDelay) : 0);
    if (QWidget* check = Control(QLatin1String(kXCheck))) bullet.left = ui::IsSelected(check);
    if (QWidget* check = Control(QLatin1String(kYCheck))) bullet.up = ui::IsSelected(check);
    // What is shown is what is stored.
    if (x) ui::SetText(x, QString::number(bullet.horizontal));
    if (y) ui::SetText(y, QString::number(bullet.vertical));
    if (delay) ui::SetText(delay, QString::number(bullet.delay));
    ShowCheckTexts();

    const shoot::GunRead read = shoot::ReadGunForEditing(GunPath(g));
    // A file that is not a pattern is not written over: the user's file stays as it is.
    if (!read.error.empty()) return read.error;
    Json::Value events = read.events;
    if (!shoot::StoreBullet(events, b, bullet)) return "no such bullet";
    return shoot::WriteGun(GunPath(g), events);
}

std::string CShootControlUI::ResetGun(int g) {
    const std::string why = shoot::ResetGun(folder_.toStdString(), defaultFolder_.toStdString(), g);
    if (why.empty() && g == selectedGun_ && selectedBullet_ >= 0) ShowBullet(g, selectedBullet_);
    return why;
}

std::string CShootControlUI::ImportGun(const QString& path) {
    const std::string why =
        shoot::ImportGun(path.toStdString(), folder_.toStdString(), selectedGun_);
    if (why.empty() && selectedBullet_ >= 0) ShowBullet(selectedGun_, selectedBullet_);
    return why;
}

std::string CShootControlUI::ExportGun(const QString& path) {
    return shoot::ExportGun(folder_.toStdString(), selectedGun_, path.toStdString());
}

void CShootControlUI::Tell(const char* textId, const std::string& reason) {
    qCWarning(lcUi).noquote() << "recoil editor:" << textId << reason.c_str();
    if (!message_) return;
    QString text = CResourceManager::GetInstance().GetText(QLatin1String(textId));
    if (text.isEmpty()) text = QLatin1String(textId);
    message_(text + '\n' + QString::fromStdString(reason), 1);
}

void CShootControlUI::Notify(TNotifyUI& msg) {
    if (!msg.pSender || !isAncestorOf(msg.pSender)) return;
    ui::DispatchNumbered(this, kHandlers, msg);
}

void CShootControlUI::OnGun(int g) {
    if (g < kGunCount && ui::IsSelected(Numbered(kGunOption, g))) SelectGun(g);
}

void CShootControlUI::OnBullet(int b) {
    if (b < kBulletsPerGun && ui::IsSelected(Numbered(kBulletOption, b))) SelectBullet(b);
}

void CShootControlUI::OnPrevious(int) { PreviousBullet(); }
void CShootControlUI::OnNext(int) { NextBullet(); }

void CShootControlUI::OnStore(int) {
    if (selectedBullet_ < 0) {
        ShowCheckTexts();
        return;
    }
    if (const std::string why = StoreBullet(selectedGun_, selectedBullet_); !why.empty())
        Tell("shoot_store_failed_text", why);
}

void CShootControlUI::OnReset(int) {
    if (const std::string why = ResetGun(selectedGun_); !why.empty())
        Tell("shoot_reset_failed_text", why);
}

void CShootControlUI::OnImport(int) {
    const QString path = chooseFile_ ? chooseFile_(false) : QString();
    if (path.isEmpty()) return;
    if (const std::string why = ImportGun(path); !why.empty())
        Tell("shoot_import_failed_text", why);
}

void CShootControlUI::OnExport(int) {
    const QString path = chooseFile_ ? chooseFile_(true) : QString();
    if (path.isEmpty()) return;
    if (const std::string why = ExportGun(path); !why.empty())
        Tell("shoot_export_failed_text", why);
}

void CShootControlUI::OnSave(int) {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse) return;
    lastUpload_ = mouse->WriteShootPatterns();
    if (!lastUpload_->ok())
        Tell("shoot_save_failed_text", lastUpload_->step + " " + std::to_string(lastUpload_->code));
}

void RegisterShootPanel() {
    CControlFactory::GetInstance().RegistControl(QLatin1String(CShootControlUI::kClassName),
                                                 &CShootControlUI::Create);
}
