#include "panels/color_select_wnd.h"

#include <QEvent>
#include <QStandardPaths>
#include <QStyle>
#include <algorithm>
#include <array>

#include "controls/color_palette.h"
#include "devices/device_folders.h"
#include "panels/color_option_file.h"
#include "platform/log_categories.h"
#include "ui/control_look.h"
#include "ui/control_props.h"
#include "ui/notify_table.h"
#include "ui/paint_manager.h"

QPointer<CColorSelectWnd> CColorSelectWnd::s_open;
QPointer<QWidget> CColorSelectWnd::s_mainWindow;
CColorSelectWnd::SecondaryHook CColorSelectWnd::s_secondaryHook;

namespace {

constexpr char kFixedPrefix[] = "color_option_";
constexpr char kCollectedPrefix[] = "collect_color_option_";
constexpr char kEditPrefix[] = "color_edit_";
constexpr std::array<const char*, 3> kEdits{"color_edit_r", "color_edit_g", "color_edit_b"};
constexpr char kFilled[] = "1";
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr std::array<int, 7> kDialogDpis{48, 72, 96, 120, 144, 168, 192};

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

// The swatch number after prefix in name (0..19), or -1.
int SwatchNumber(const QString& name, const char* prefix) {
    const std::optional<int> n = ui::NumberAfterPrefix(name, prefix);
    return n && *n < CColorSelectWnd::kSwatches ? *n : -1;
}

// A filled collected swatch has no border (border size 0); the style sheet reads the property.
void DropBorder(QWidget* option) {
    option->setProperty("bordersize", 0);
    option->style()->unpolish(option);
    option->style()->polish(option);
}

bool Named(const TNotifyUI& msg, const char* name) {
    return msg.pSender && msg.pSender->objectName() == QLatin1String(name);
}

}  // namespace

namespace color_options {

ComponentEntry ReadComponent(const QString& text) {
    ComponentEntry entry;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
        entry.value = std::min(256, entry.value * 10 + (c.unicode() - '0'));
    }
    if (entry.value > 255) entry.value = 255;
    const QString shown = QString::number(entry.value);
    if (text != shown) entry.rewrite = shown;
    return entry;
}

}  // namespace color_options

CColorSelectWnd::CColorSelectWnd(QWidget* parent) : WindowImplBase(parent) {}

CColorSelectWnd::~CColorSelectWnd() = default;

int CColorSelectWnd::DialogDpi(int mainWindowDpi) {
    for (const int dpi : kDialogDpis)
        if (dpi == mainWindowDpi) return dpi;
    qCDebug(lcUi) << "SET_WND DPI SET ERROR";
    return CPaintManagerUI::kDefaultDpi;
}

CColorSelectWnd* CColorSelectWnd::OpenDialog() { return s_open.data(); }

void CColorSelectWnd::SetMainWindow(QWidget* mainWindow, SecondaryHook hook) {
    s_mainWindow = mainWindow;
    s_secondaryHook = std::move(hook);
}

QString CColorSelectWnd::UserSwatchFile() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) return {};
    return base + '/' + QLatin1String(device_folders::kProductFolder) + '/' +
           QLatin1String(color_options::kFileName);
}

QString CColorSelectWnd::ShippedSwatchFile() {
    return device_folders::ProgramDefaultDataFolder() + QLatin1String(color_options::kFileName);
}

std::optional<uint32_t> CColorSelectWnd::PickColour(QWidget* opener, uint32_t initial) {
    if (s_open) return std::nullopt;
    QWidget* owner = s_mainWindow ? s_mainWindow.data() : (opener ? opener->window() : nullptr);
    const CPaintManagerUI* ownerManager = owner ? CPaintManagerUI::FromControl(owner) : nullptr;
    const int dpi =
        DialogDpi(ownerManager ? ownerManager->GetDPI() : CPaintManagerUI::GetGlobalDPI());

    CColorSelectWnd dialog;
    dialog.PaintManager().SetDPI(dpi);
    if (!dialog.Create(owner, QLatin1String(kTitle), Qt::Tool)) {
        qCWarning(lcUi) << "the palette dialog's layout cannot be built";
        return std::nullopt;
    }
    s_open = &dialog;
    dialog.SetColour(initial);
    dialog.ShowSevenColour(false);
    dialog.CenterWindow();
    const SecondaryHook hook = s_secondaryHook;
    if (hook) hook(&dialog);
    const int result = dialog.ShowModal();
    if (hook) hook(nullptr);
    s_open = nullptr;
    if (result != kConfirmed) return std::nullopt;
    return dialog.GetResultColour();
}

QWidget* CColorSelectWnd::Swatch(const char* prefix, int n) const {
    return FindControl(ui::ComposeName(QLatin1String(prefix), n));
}

// ---- Operations ----

void CColorSelectWnd::SetColour(uint32_t argb) {
    if (QWidget* preview = FindControl("color_show_btn")) {
        ui::SetBkImage(preview, QString());
        ui::SetBkColor(preview, argb);
    }
    SelectInPalette(argb);
    colour_ = argb;
    ShowComponents(argb);
}

void CColorSelectWnd::SetSevenColour(bool on) {
    sevenColour_ = on;
    if (QWidget* option = FindControl("7color")) ui::SetSelected(option, on, false);
    if (QWidget* preview = FindControl("color_show_btn"))
        ui::SetBkImage(preview, on ? QLatin1String(kSevenColourImage) : QString());
}

void CColorSelectWnd::ShowSevenColour(bool show) {
    QWidget* option = FindControl("7color");
    if (option) ui::SetEnabled(option, show);
    if (QWidget* layout = FindControl("7color_layout")) ui::SetVisible(layout, show);
    if (!show && option) ui::SetSelected(option, false, false);
}

void CColorSelectWnd::ShowComponents(uint32_t argb) {
    const int components[3] = {static_cast<int>(argb >> 16 & 0xFF),
                               static_cast<int>(argb >> 8 & 0xFF), static_cast<int>(argb & 0xFF)};
    for (size_t i = 0; i < kEdits.size(); ++i)
        if (QWidget* edit = FindControl(kEdits[i]))
            ui::SetText(edit, QString::number(components[i]));
}

void CColorSelectWnd::SelectInPalette(uint32_t argb) {
    if (auto* palette = qobject_cast<CColorPaletteUI*>(FindControl("Pallet")))
        palette->SetSelectColor(argb);
}

// The colour shows whether the swatch is selected or not (its style sheet paints the
// background in every state).
void CColorSelectWnd::PaintCollected(QWidget* option, uint32_t argb) {
    ui::SetBkColor(option, argb);
}

void CColorSelectWnd::HandleMessage(int message) {
    if (message == kLanguageMessage) update();
}

// ---- Notifications ----

void CColorSelectWnd::Notify(TNotifyUI& msg) {
    const QString name = msg.pSender ? msg.pSender->objectName() : QString();
    if (msg.sType == QLatin1String(notify_type::kWindowInit)) return OnWindowInit();
    if (msg.sType == QLatin1String(notify_type::kSelectChanged)) {
        if (const int n = SwatchNumber(name, kCollectedPrefix); n >= 0) return OnCollectedChosen(n);
        if (const int n = SwatchNumber(name, kFixedPrefix); n >= 0) return OnFixedChosen(n);
        if (Named(msg, "7color")) return OnSevenColourToggled();
        return;
    }
    if (msg.sType == QLatin1String(notify_type::kColorChanged) && Named(msg, "Pallet"))
        return OnPaletteChanged();
    if (msg.sType == QLatin1String(notify_type::kKillFocus) &&
        name.startsWith(QLatin1String(kEditPrefix)))
        return OnEditsLeft();
    if (msg.sType != QLatin1String(notify_type::kClick)) return;
    if (Named(msg, "okbtn")) {
        if (!FindControl("Pallet")) return Close(kNoPalette);
        const QWidget* preview = FindControl("color_show_btn");
        result_ = preview ? ui::GetBkColor(preview) : 0;
        return Close(kConfirmed);
    }
    if (Named(msg, "closebtn") || Named(msg, "laterbtn")) return Close(kCancelled);
    if (Named(msg, "menubtn")) return;
    HandleCaptionButtons(msg);
}

void CColorSelectWnd::OnWindowInit() {
    const Json::Value document =
        color_options::ReadOrRestore(ToPath(UserSwatchFile()), ToPath(ShippedSwatchFile()));
    SetColour(colour_);
    SetSevenColour(sevenColour_);
    const Json::Value& chosen = document["coloroptioninfo"]["palletDialogcoloroption_selectitem"];
    if (chosen.isInt()) fixedIndex_ = chosen.asInt();
    const std::vector<color_options::CollectedSwatch> swatches =
        color_options::CollectedSwatches(document);
    for (int i = 0; i < kSwatches; ++i) {
        const color_options::CollectedSwatch& swatch = swatches[static_cast<size_t>(i)];
        QWidget* option = Swatch(kCollectedPrefix, i);
        if (!swatch.present || !option) continue;
        PaintCollected(option, kWhite);
        ui::SetUserData(option, QString::fromStdString(swatch.userData));
        // A swatch whose colour cannot be read stays white (and empty).
        if (swatch.userData == kFilled && swatch.colour) {
            PaintCollected(option, *swatch.colour);
            DropBorder(option);
        } else if (swatch.userData == kFilled) {
            ui::SetUserData(option, QString());
        }
    }
    collectedIndex_ = -1;
}

void CColorSelectWnd::OnFixedChosen(int n) {
    fixedIndex_ = n;
    SaveFixedSwatches();
    const QWidget* option = Swatch(kFixedPrefix, n);
    if (!option) return;
    colour_ = ui::GetBkColor(option);
    SelectInPalette(colour_);
    FillChosenCollected();
    ShowComponents(colour_);
}

void CColorSelectWnd::OnCollectedChosen(int n) {
    collectedIndex_ = n;
    const QWidget* option = Swatch(kCollectedPrefix, n);
    // An empty swatch only becomes the target of the next colour.
    if (!option || ui::GetUserData(option) != QLatin1String(kFilled)) return;
    SaveCollectedSwatches();
    const uint32_t argb = ui::GetBkColor(option);
    // The swatch's colour becomes the current one too, so that the next swatch filled and
    // the edits agree with what the preview shows.
    colour_ = argb;
    if (QWidget* preview = FindControl("color_show_btn")) ui::SetBkColor(preview, argb);
    SetSevenColour(false);
    SelectInPalette(argb);
    ShowComponents(argb);
}

void CColorSelectWnd::OnPaletteChanged() {
    if (const auto* palette = qobject_cast<CColorPaletteUI*>(FindControl("Pallet")))
        colour_ = palette->GetSelectColor();
    FillChosenCollected();
    ShowComponents(colour_);
}

void CColorSelectWnd::OnEditsLeft() {
    int components[3] = {};
    for (size_t i = 0; i < kEdits.size(); ++i) {
        QWidget* edit = FindControl(kEdits[i]);
        if (!edit) continue;
        const color_options::ComponentEntry entry = color_options::ReadComponent(ui::GetText(edit));
        components[i] = entry.value;
        if (entry.rewrite) ui::SetText(edit, *entry.rewrite);
    }
    colour_ = 0xFF000000u | static_cast<uint32_t>(components[0]) << 16 |
              static_cast<uint32_t>(components[1]) << 8 | static_cast<uint32_t>(components[2]);
    SelectInPalette(colour_);
    FillChosenCollected();
}

void CColorSelectWnd::OnSevenColourToggled() {
    const QWidget* option = FindControl("7color");
    sevenColour_ = option && ui::IsSelected(option);
    if (QWidget* preview = FindControl("color_show_btn"))
        ui::SetBkImage(preview, sevenColour_ ? QLatin1String(kSevenColourImage) : QString());
}

void CColorSelectWnd::FillChosenCollected() {
    QWidget* option = collectedIndex_ >= 0 ? Swatch(kCollectedPrefix, collectedIndex_) : nullptr;
    if (option && ui::IsSelected(option)) {
        PaintCollected(option, colour_);
        ui::SetSelected(option, true, false);
        ui::SetUserData(option, QLatin1String(kFilled));
        DropBorder(option);
        SaveCollectedSwatches();
    }
    if (QWidget* preview = FindControl("color_show_btn")) ui::SetBkColor(preview, colour_);
    SetSevenColour(false);
}

void CColorSelectWnd::SaveFixedSwatches() {
    std::vector<std::optional<uint32_t>> colours(kSwatches);
    for (int i = 0; i < kSwatches; ++i)
        if (const QWidget* option = Swatch(kFixedPrefix, i))
            colours[static_cast<size_t>(i)] = ui::GetBkColor(option);
    if (!color_options::SaveFixed(ToPath(UserSwatchFile()), colours, fixedIndex_).ok())
        qCWarning(lcUi) << "the fixed swatches could not be saved";
}

void CColorSelectWnd::SaveCollectedSwatches() {
    std::vector<color_options::CollectedSave> swatches(kSwatches);
    for (int i = 0; i < kSwatches; ++i) {
        if (const QWidget* option = Swatch(kCollectedPrefix, i)) {
            swatches[static_cast<size_t>(i)].colour = ui::GetBkColor(option);
            swatches[static_cast<size_t>(i)].userData = ui::GetUserData(option).toStdString();
        }
    }
    if (!color_options::SaveCollected(ToPath(UserSwatchFile()), swatches, collectedIndex_).ok())
        qCWarning(lcUi) << "the collected swatches could not be saved";
}

// ---- Window state ----

void CColorSelectWnd::SwapMaxRestore() {
    const bool maximised = isMaximized();
    if (QWidget* button = FindControl("maxbtn")) ui::SetVisible(button, !maximised);
    if (QWidget* button = FindControl("restorebtn")) ui::SetVisible(button, maximised);
}

void CColorSelectWnd::changeEvent(QEvent* event) {
    WindowImplBase::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) SwapMaxRestore();
}
