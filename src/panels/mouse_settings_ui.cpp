#include "panels/mouse_settings_ui.h"

#include "devices/skelmora_mouse_device.h"
#include "panels/color_select_wnd.h"
#include "platform/log_categories.h"
#include "ui/control_factory.h"
#include "ui/control_props.h"

namespace {

constexpr char kEnable[] = "DPI_enable_check_";
constexpr char kSelect[] = "DPI_select_check_";
constexpr char kSlider[] = "DPI_slider_";
constexpr char kEdit[] = "DPI_edit_";
constexpr char kColour[] = "DPI_color_option_";
constexpr char kReportRate[] = "polling_rate_option_";
constexpr char kZelvoSlider[] = "zelvo_DPI_slider_";
constexpr char kZelvoEdit[] = "zelvo_DPI_edit_";

}  // namespace

const CMouseSettingsUI::Handler CMouseSettingsUI::kHandlers[] = {
    {notify_type::kSelectChanged, kEnable, true, &CMouseSettingsUI::OnEnable},
    {notify_type::kSelectChanged, kSelect, true, &CMouseSettingsUI::OnSelect},
    {notify_type::kSelectChanged, kReportRate, true, &CMouseSettingsUI::OnReportRate},
    {notify_type::kValueChanged, kSlider, true, &CMouseSettingsUI::OnSlider},
    {notify_type::kMoveValueChanged, kSlider, true, &CMouseSettingsUI::OnSliderMove},
    {notify_type::kKillFocus, kEdit, true, &CMouseSettingsUI::OnEdit},
    {notify_type::kClick, kColour, true, &CMouseSettingsUI::OnColour},
    {notify_type::kValueChanged, "pointer_speed_slider", false, &CMouseSettingsUI::OnPointerSpeed},
    {notify_type::kSelectChanged, "pointer_precision_check", false,
     &CMouseSettingsUI::OnPointerPrecision},
    {notify_type::kValueChanged, "scroll_speed_slider", false, &CMouseSettingsUI::OnScrollLines},
    {notify_type::kSelectChanged, "scrolls_page_check", false, &CMouseSettingsUI::OnScrollPage},
    {notify_type::kValueChanged, "double_click_slider", false, &CMouseSettingsUI::OnDoubleClick},
    {notify_type::kMoveValueChanged, kZelvoSlider, true, &CMouseSettingsUI::OnZelvoSliderMove},
    {notify_type::kKillFocus, kZelvoEdit, true, &CMouseSettingsUI::OnZelvoEdit},
};

CMouseSettingsUI::CMouseSettingsUI(QWidget* parent) : QWidget(parent) {
    chooseColour_ = [this](uint32_t current) -> std::optional<uint32_t> {
        return CColorSelectWnd::PickColour(this, current);
    };
}

void CMouseSettingsUI::Notify(TNotifyUI& msg) {
    if (!msg.pSender || !isAncestorOf(msg.pSender)) return;
    ui::DispatchNumbered(this, kHandlers, msg);
}

CSkelmoraMouseDevice* CMouseSettingsUI::Mouse() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* mouse = qobject_cast<CSkelmoraMouseDevice*>(w)) return mouse;
    }
    return nullptr;
}

void CMouseSettingsUI::Grow(std::vector<profiles::DPIStage>& stages, int n) {
    if (static_cast<int>(stages.size()) < n + 1) stages.resize(n + 1);
}

void CMouseSettingsUI::SendParameters() {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse) return;
    lastWrite_ = mouse->WriteParameterBlock(mouse->StandardParameterWrite());
    if (!lastWrite_->ok())
        qCWarning(lcUi).noquote() << "mouse parameter write failed at" << lastWrite_->step.c_str()
                                  << "code" << lastWrite_->code;
}

void CMouseSettingsUI::StoreAndSend(const std::vector<profiles::DPIStage>& stages) {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse) return;
    mouse->SetDpiStages(stages);
    mouse->SaveProfile();
    SendParameters();
}

void CMouseSettingsUI::StoreSystemStages(const profiles::MouseSystemStages& stages) {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse) return;
    mouse->SetSystemStages(stages);
    mouse->SaveProfile();
}

void CMouseSettingsUI::OnEnable(int n) {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse || n >= CSkelmoraMouseDevice::kDpiRows) return;
    const bool enabled = mouse->IsDpiStageEnabled(n);
    mouse->SetDpiStageEnabled(n, enabled);
    auto stages = mouse->GetDpiStages();
    Grow(stages, n);
    stages[n].active = enabled ? 1 : 0;
    StoreAndSend(stages);
}

void CMouseSettingsUI::OnSelect(int n) {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse || n >= CSkelmoraMouseDevice::kDpiRows) return;
    mouse->SelectDpiStage(n);
    auto stages = mouse->GetDpiStages();
    for (int i = 0; i < CSkelmoraMouseDevice::kDpiRows; ++i) {
        const int level = mouse->GetDpiSliderLevel(i);
        mouse->ShowDpiLevel(i, level);
        Grow(stages, i);
        stages[i].dpi_x = static_cast<uint16_t>(level);
    }
    StoreAndSend(stages);
}

void CMouseSettingsUI::OnReportRate(int n) {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse) return;
    mouse->SelectReportRate(n);
    profiles::MouseSystemStages stages = mouse->GetSystemStages();
    stages.report_rate_stage = static_cast<uint16_t>(n < 0 || n > 4 ? 0 : n);
    mouse->SetSystemStages(stages);
    mouse->SaveProfile();
    SendParameters();
}

void CMouseSettingsUI::OnSlider(int n) {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse || n >= CSkelmoraMouseDevice::kDpiRows) return;
    const int level = mouse->GetDpiSliderLevel(n);
    mouse->ShowDpiLevel(n, level);
    auto stages = mouse->GetDpiStages();
    Grow(stages, n);
    stages[n].dpi_x = static_cast<uint16_t>(level);
    StoreAndSend(stages);
}

void CMouseSettingsUI::OnSliderMove(int n) {
    if (CSkelmoraMouseDevice* mouse = Mouse()) mouse->ShowDpiLevel(n, mouse->GetDpiSliderLevel(n));
}

void CMouseSettingsUI::OnEdit(int n) {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse || n >= CSkelmoraMouseDevice::kDpiRows) return;
    const int level = mouse->GetDpiEditLevel(n);
    mouse->ShowDpiLevel(n, level);
    auto stages = mouse->GetDpiStages();
    Grow(stages, n);
    stages[n].dpi_x = static_cast<uint16_t>(level);
    StoreAndSend(stages);
}

void CMouseSettingsUI::OnColour(int n) {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse || n >= CSkelmoraMouseDevice::kDpiRows || !chooseColour_) return;
    const std::optional<uint32_t> chosen = chooseColour_(mouse->GetDpiColour(n));
    if (!chosen) return;
    mouse->SetDpiColour(n, *chosen);
    auto stages = mouse->GetDpiStages();
    Grow(stages, n);
    stages[n].red = static_cast<uint8_t>(*chosen >> 16);
    stages[n].green = static_cast<uint8_t>(*chosen >> 8);
    stages[n].blue = static_cast<uint8_t>(*chosen);
    StoreAndSend(stages);
}

void CMouseSettingsUI::OnPointerSpeed(int) {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse) return;
    profiles::MouseSystemStages stages = mouse->GetSystemStages();
    stages.pointer_speed = static_cast<uint16_t>(mouse->GetPointerSpeed());
    StoreSystemStages(stages);
}

void CMouseSettingsUI::OnPointerPrecision(int) {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse) return;
    profiles::MouseSystemStages stages = mouse->GetSystemStages();
    stages.pointer_precision = mouse->GetPointerPrecision() ? 1 : 0;
    StoreSystemStages(stages);
}

void CMouseSettingsUI::OnScrollLines(int) {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse) return;
    const int lines = mouse->GetScrollLines();
    mouse->ShowScroll(false, lines);
    profiles::MouseSystemStages stages = mouse->GetSystemStages();
    stages.wheel_scroll_lines = static_cast<uint16_t>(lines);
    stages.scroll_page = 0;
    StoreSystemStages(stages);
}

void CMouseSettingsUI::OnScrollPage(int) {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse) return;
    const int lines = mouse->GetScrollLines();
    const bool page = mouse->GetScrollPage();
    mouse->ShowScroll(page, lines);
    profiles::MouseSystemStages stages = mouse->GetSystemStages();
    stages.wheel_scroll_lines = static_cast<uint16_t>(lines);
    stages.scroll_page = page ? 1 : 0;
    StoreSystemStages(stages);
}

void CMouseSettingsUI::OnDoubleClick(int) {
    CSkelmoraMouseDevice* mouse = Mouse();
    if (!mouse) return;
    profiles::MouseSystemStages stages = mouse->GetSystemStages();
    stages.double_click_time = static_cast<uint16_t>(mouse->GetDoubleClick());
    StoreSystemStages(stages);
}

void CMouseSettingsUI::OnZelvoSliderMove(int n) {
    QWidget* slider = findChild<QWidget*>(kZelvoSlider + QString::number(n));
    QWidget* edit = findChild<QWidget*>(kZelvoEdit + QString::number(n));
    if (slider && edit) ui::SetText(edit, QString::number(ui::GetValue(slider)));
}

void CMouseSettingsUI::OnZelvoEdit(int n) {
    QWidget* edit = findChild<QWidget*>(kZelvoEdit + QString::number(n));
    if (!edit) return;
    bool ok = false;
    // Text that is not a number counts as 0 (then the minimum); a huge number is the maximum.
    const qlonglong typed = ui::GetText(edit).trimmed().toLongLong(&ok);
    const int value =
        static_cast<int>(std::clamp<qlonglong>(ok ? typed : 0, kZelvoMinimum, kZelvoMaximum));
    ui::SetText(edit, QString::number(value));
    if (QWidget* slider = findChild<QWidget*>(kZelvoSlider + QString::number(n)))
        ui::SetValue(slider, value);
}

void RegisterMouseSettingsPanel() {
    CControlFactory::GetInstance().RegistControl(QLatin1String(CMouseSettingsUI::kClassName),
                                                 &CMouseSettingsUI::Create);
}
