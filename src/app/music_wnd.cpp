#include "app/music_wnd.h"

#include <QLineEdit>
#include <algorithm>

#include "platform/log_categories.h"
#include "ui/control_props.h"

namespace {

using notify_type::kClick;
using notify_type::kKillFocus;
using notify_type::kMoveValueChanged;
using notify_type::kSelectChanged;
using notify_type::kValueChanged;
using ui::NotifyMatch;

constexpr const char* kSliders[] = {"audio_r_slider", "audio_g_slider", "audio_b_slider"};
constexpr char kMissing[] = "GetAudioLightInfo control is NULL";

QString Numbered(const char* prefix, int n) {
    return QString::fromLatin1(prefix) + QString::number(n);
}

// A name box not being typed in shows the start of a name wider than itself, not its end.
void ShowFromStart(QWidget* edit) {
    if (auto* line = qobject_cast<QLineEdit*>(edit)) line->setCursorPosition(0);
}

}  // namespace

const ui::NotifyRow<CMusicWnd> CMusicWnd::kRows[] = {
    {kClick, "okbtn", &CMusicWnd::OnOk},
    {kClick, "closebtn", &CMusicWnd::OnCancel},
    {kSelectChanged, "audio_select_tab", &CMusicWnd::OnTab, NotifyMatch::NumberedPrefix},
    {kValueChanged, "audio_r_slider", &CMusicWnd::OnSlider},
    {kValueChanged, "audio_g_slider", &CMusicWnd::OnSlider},
    {kValueChanged, "audio_b_slider", &CMusicWnd::OnSlider},
    {kMoveValueChanged, "audio_r_slider", &CMusicWnd::OnSlider},
    {kMoveValueChanged, "audio_g_slider", &CMusicWnd::OnSlider},
    {kMoveValueChanged, "audio_b_slider", &CMusicWnd::OnSlider},
    {kKillFocus, "audio_edit_name", &CMusicWnd::OnNameLeft, NotifyMatch::NumberedPrefix},
};

void CMusicWnd::SetDPI(int dpi) {
    const bool known =
        std::find(std::begin(kDpiValues), std::end(kDpiValues), dpi) != std::end(kDpiValues);
    if (!known) qCWarning(lcApp) << "SET_WND DPI SET ERROR";
    PaintManager().SetDPI(known ? dpi : 96);
}

void CMusicWnd::InitWindow() {
    for (const char* name : kSliders) ui::SetRange(FindControl(name), 0, 9);
    ShowSet();
}

void CMusicWnd::SetStyleSet(const profiles::AudioStyleSet& set) {
    set_ = set;
    set_.selected = std::min<uint8_t>(set_.selected, profiles::kAudioStyles - 1);
    if (IsCreated()) ShowSet();
}

void CMusicWnd::ShowSet() {
    showing_ = true;
    for (int k = 1; k <= profiles::kAudioStyles; ++k) {
        ui::SetSelected(FindControl(Numbered("audio_select_tab", k)), k - 1 == set_.selected);
        QWidget* edit = FindControl(Numbered("audio_edit_name", k));
        ui::SetText(edit, QString::fromStdString(
                              profiles::ShownStyleName(set_.names[static_cast<size_t>(k - 1)])));
        ShowFromStart(edit);
    }
    showing_ = false;
    ShowColour();
}

void CMusicWnd::ShowColour() {
    showing_ = true;
    const auto& colour = set_.colours[set_.selected];
    for (int c = 0; c < 3; ++c)
        ui::SetValue(FindControl(kSliders[c]), colour[static_cast<size_t>(c)]);
    showing_ = false;
}

int CMusicWnd::SelectedOption() const {
    for (int k = 1; k <= profiles::kAudioStyles; ++k) {
        const QWidget* option = FindControl(Numbered("audio_select_tab", k));
        if (!option) {
            qCWarning(lcApp) << kMissing;
            return -1;
        }
        if (ui::IsSelected(option)) return k - 1;
    }
    return 0;
}

void CMusicWnd::Notify(TNotifyUI& msg) { ui::DispatchNotify(this, kRows, msg); }

void CMusicWnd::OnTab(TNotifyUI& msg) {
    if (showing_ || !ui::IsSelected(msg.pSender)) return;
    const auto k = ui::NumberAfterPrefix(msg.pSender->objectName(), "audio_select_tab");
    if (!k || *k < 1 || *k > profiles::kAudioStyles) return;
    for (const char* name : kSliders) {
        if (!FindControl(name)) {
            qCWarning(lcApp) << kMissing;
            return;
        }
    }
    set_.selected = static_cast<uint8_t>(*k - 1);
    ShowColour();
}

void CMusicWnd::OnSlider(TNotifyUI& msg) {
    if (showing_) return;
    const int style = SelectedOption();
    if (style < 0) return;
    const QString name = msg.pSender->objectName();
    for (int c = 0; c < 3; ++c) {
        if (name != QLatin1String(kSliders[c])) continue;
        const int value = std::clamp(ui::GetValue(msg.pSender), 0, profiles::kStyleChannelTop);
        set_.colours[static_cast<size_t>(style)][static_cast<size_t>(c)] =
            static_cast<uint8_t>(value);
    }
}

void CMusicWnd::OnNameLeft(TNotifyUI& msg) {
    const auto k = ui::NumberAfterPrefix(msg.pSender->objectName(), "audio_edit_name");
    if (!k || *k < 1 || *k > profiles::kAudioStyles) return;
    std::string& name = set_.names[static_cast<size_t>(*k - 1)];
    ShowFromStart(msg.pSender);
    const std::string text = ui::GetText(msg.pSender).toStdString();
    if (text.empty()) {
        name = profiles::DefaultStyleName(*k - 1);
        ui::SetText(msg.pSender, QString::fromStdString(name));
        return;
    }
    // A long name is shown shortened: left as shown, it stays whole.
    if (text != profiles::ShownStyleName(name)) name = text;
}

void CMusicWnd::OnOk(TNotifyUI&) { Close(1); }
void CMusicWnd::OnCancel(TNotifyUI&) { Close(0); }
