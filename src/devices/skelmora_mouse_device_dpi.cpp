// The mouse page's DPI rows, report-rate options and pointer settings: the accessors the
// DPI panel's handlers call. A missing control ends the accessor that needs it, nothing else.
#include <QLineEdit>
#include <QStackedWidget>
#include <QVariant>

#include "devices/skelmora_mouse_device.h"
#include "ui/control_look.h"
#include "ui/control_props.h"

namespace {

constexpr char kActiveThumb[] = "Control/SliderBar1_Thumb.png";
constexpr char kOtherThumb[] = "Control/SliderBar2_Thumb.png";
constexpr char kForeImage[] = "Control/SliderBar_BK1.png";

}  // namespace

QWidget* CSkelmoraMouseDevice::Control(const QString& prefix, int n) const {
    const QString name = n < 0 ? prefix : prefix + QString::number(n);
    return findChild<QWidget*>(name);
}

void CSkelmoraMouseDevice::SelectDpiStage(int n) {
    profile_.SetStageActive(n);
    for (int i = 0; i < kDpiRows; ++i) {
        if (QWidget* option = Control(QStringLiteral("DPI_select_check_"), i))
            ui::SetSelected(option, i == n);
    }
}

void CSkelmoraMouseDevice::SetDpiStages(const std::vector<profiles::DPIStage>& stages) {
    dpiStages_ = stages;
    profile_.WriteDPIStages(stages);
}

uint32_t CSkelmoraMouseDevice::GetDpiColour(int n) const {
    const QWidget* option = Control(QStringLiteral("DPI_color_option_"), n);
    return option ? ui::GetBkColor(option) : 0;
}

void CSkelmoraMouseDevice::SetDpiColour(int n, uint32_t colour) {
    if (QWidget* option = Control(QStringLiteral("DPI_color_option_"), n))
        ui::SetBkColor(option, colour);
}

bool CSkelmoraMouseDevice::IsDpiStageEnabled(int n) const {
    const QWidget* option = Control(QStringLiteral("DPI_enable_check_"), n);
    return option && ui::IsSelected(option);
}

void CSkelmoraMouseDevice::SetDpiStageEnabled(int n, bool enabled) {
    QWidget* row = Control(QStringLiteral("DPI_layout_"), n);
    if (!row) return;
    ui::SetEnabled(row, enabled);
    QWidget* check = Control(QStringLiteral("DPI_enable_check_"), n);
    if (!check) return;
    ui::SetSelected(check, enabled);
    if (enabled) {
        for (int i = 0; i < kDpiRows; ++i) {
            if (QWidget* option = Control(QStringLiteral("DPI_enable_check_"), i))
                ui::SetEnabled(option, true);
        }
        return;
    }
    // The last enabled stage cannot be switched off.
    QWidget* last = nullptr;
    int selected = 0;
    for (int i = 0; i < kDpiRows; ++i) {
        QWidget* option = Control(QStringLiteral("DPI_enable_check_"), i);
        if (option && ui::IsSelected(option)) {
            ++selected;
            last = option;
        }
    }
    if (selected == 1) ui::SetEnabled(last, false);
}

void CSkelmoraMouseDevice::ShowDpiLevel(int n, int level) {
    QWidget* slider = Control(QStringLiteral("DPI_slider_"), n);
    if (!slider) return;
    ui::SetValue(slider, level);
    QWidget* edit = Control(QStringLiteral("DPI_edit_"), n);
    if (!edit) return;
    const bool active = n == profile_.GetStageActive();
    ui::SetImage(slider, "foreimage", kForeImage);
    const char* thumb = active ? kActiveThumb : kOtherThumb;
    for (const char* property : {"thumbimage", "thumbhotimage", "thumbpushedimage"})
        ui::SetImage(slider, property, thumb);
    if (QWidget* check = Control(QStringLiteral("DPI_enable_check_"), n))
        ui::SetEnabled(check, !active);
    if (QWidget* select = Control(QStringLiteral("DPI_select_check_"), n))
        ui::SetSelected(select, active);
    ui::SetText(edit, QString::number(mouse::DpiOfLevel(Scale(), level)));
}

int CSkelmoraMouseDevice::GetDpiSliderLevel(int n) const {
    const QWidget* slider = Control(QStringLiteral("DPI_slider_"), n);
    return slider ? ui::GetValue(slider) : 0;
}

int CSkelmoraMouseDevice::GetDpiEditLevel(int n) const {
    const QWidget* edit = Control(QStringLiteral("DPI_edit_"), n);
    if (!edit) return 0;
    return mouse::LevelOfDpiText(Scale(), ui::GetText(edit).toStdString());
}

void CSkelmoraMouseDevice::SelectReportRate(int n) {
    if (n < 0 || n >= mouse::kReportRateStages) n = 0;
    for (int i = 0; i < mouse::kReportRateStages; ++i) {
        if (QWidget* option = Control(QStringLiteral("polling_rate_option_"), i))
            ui::SetSelected(option, i == n);
    }
}

void CSkelmoraMouseDevice::SetSystemStages(const profiles::MouseSystemStages& stages) {
    stages_ = stages;
    profile_.WriteMouseSystemStages(stages);
}

int CSkelmoraMouseDevice::GetPointerSpeed() const {
    const QWidget* slider = Control(QStringLiteral("pointer_speed_slider"), -1);
    return slider ? ui::GetValue(slider) : 0;
}

bool CSkelmoraMouseDevice::GetPointerPrecision() const {
    const QWidget* check = Control(QStringLiteral("pointer_precision_check"), -1);
    return check && ui::IsSelected(check);
}

int CSkelmoraMouseDevice::GetScrollLines() const {
    const QWidget* slider = Control(QStringLiteral("scroll_speed_slider"), -1);
    return slider ? ui::GetValue(slider) : 0;
}

bool CSkelmoraMouseDevice::GetScrollPage() const {
    const QWidget* check = Control(QStringLiteral("scrolls_page_check"), -1);
    return check && ui::IsSelected(check);
}

int CSkelmoraMouseDevice::GetDoubleClick() const {
    const QWidget* slider = Control(QStringLiteral("double_click_slider"), -1);
    return slider ? ui::GetValue(slider) : 0;
}

int CSkelmoraMouseDevice::GetDoubleClickMax() const {
    const QWidget* slider = Control(QStringLiteral("double_click_slider"), -1);
    return slider ? ui::GetMaxValue(slider) : 0;
}

void CSkelmoraMouseDevice::ShowScroll(bool page, int lines) {
    scrollPage_ = page;
    scrollLines_ = static_cast<uint8_t>(std::clamp(lines, 0, 255));
    if (QWidget* check = Control(QStringLiteral("scrolls_page_check"), -1))
        ui::SetSelected(check, page);
    if (QWidget* slider = Control(QStringLiteral("scroll_speed_slider"), -1))
        ui::SetValue(slider, lines);
}

void CSkelmoraMouseDevice::ShowDpiStages() {
    const size_t rows = std::min<size_t>(dpiStages_.size(), kDpiRows);
    for (size_t i = 0; i < rows; ++i) {
        const profiles::DPIStage& stage = dpiStages_[i];
        const int n = static_cast<int>(i);
        SetDpiStageEnabled(n, stage.active != 0);
        ShowDpiLevel(n, stage.dpi_x);
        SetDpiColour(n, 0xFF000000u | (uint32_t{stage.red} << 16) | (uint32_t{stage.green} << 8) |
                            stage.blue);
    }
    SelectReportRate(stages_.report_rate_stage);
}

void CSkelmoraMouseDevice::SelectPageTab(int n) {
    auto* tabs = findChild<QStackedWidget*>(QStringLiteral("mouse_device_seting_layout"));
    if (!tabs) return;
    if (n < 0 || n >= tabs->count()) n = 0;
    ui::SelectTabItem(tabs, n);
    QWidget* options = Control(QStringLiteral("mouse_option_layout"), -1);
    if (!options) return;
    const QString wanted = QStringLiteral("mouse_device_seting_option_") + QString::number(n);
    for (QWidget* child : options->findChildren<QWidget*>()) {
        if (!child->objectName().startsWith(QStringLiteral("mouse_device_seting_option_")))
            continue;
        ui::SetSelected(child, child->objectName().compare(wanted, Qt::CaseInsensitive) == 0);
    }
}
