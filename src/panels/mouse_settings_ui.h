#pragma once
// CMouseSettingsUI ("MouseSettings"): the mouse page's settings tab, found on the page as
// "MouseSettingsItem": five DPI stage rows, the report-rate options and the pointer settings.
// Its controls are the page's own (the layout holds them inside this container); the mouse
// device offers the accessors, this panel holds the user actions in its dispatch table.
//
// DPI and report-rate changes go to the profile, the profile file is saved, then the
// parameter block is written to the mouse; pointer settings are stored only (the button
// "windowdeviceset_1" belongs to the main window). A write that fails is traced and kept as
// the last outcome; the profile keeps the user's values.
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "devices/write_outcome.h"
#include "profiles/records.h"
#include "ui/notify.h"
#include "ui/notify_table.h"

class CSkelmoraMouseDevice;

class CMouseSettingsUI : public QWidget, public INotifyUI {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "MouseSettings";
    static constexpr char kItemName[] = "MouseSettingsItem";
    static constexpr int kZelvoMinimum = 200;
    static constexpr int kZelvoMaximum = 6500;

    // Asks the user for a stage colour (0xAARRGGBB), starting from current; nullopt when
    // cancelled. The default opens the palette dialog (without its seven-colour option).
    using ColourChooser = std::function<std::optional<uint32_t>(uint32_t current)>;

    explicit CMouseSettingsUI(QWidget* parent = nullptr);
    static QWidget* Create(QWidget* parent) { return new CMouseSettingsUI(parent); }

    void Notify(TNotifyUI& msg) override;
    void SetColourChooser(ColourChooser chooser) { chooseColour_ = std::move(chooser); }
    // The outcome of the last write to the mouse (for the window and tests).
    const std::optional<WriteOutcome>& LastWrite() const { return lastWrite_; }

  private:
    // {type, control name or prefix followed by a number, numbered, handler}.
    using Handler = ui::NumberedNotifyRow<CMouseSettingsUI>;
    static const Handler kHandlers[];

    CSkelmoraMouseDevice* Mouse() const;
    // The stage list grown to n + 1 entries when shorter.
    static void Grow(std::vector<profiles::DPIStage>& stages, int n);
    // Store and send: the stages to the profile, the profile file, then the parameter block.
    void StoreAndSend(const std::vector<profiles::DPIStage>& stages);
    void SendParameters();
    void StoreSystemStages(const profiles::MouseSystemStages& stages);

    void OnEnable(int n);
    void OnSelect(int n);
    void OnReportRate(int n);
    void OnSlider(int n);
    void OnSliderMove(int n);
    void OnEdit(int n);
    void OnColour(int n);
    void OnPointerSpeed(int);
    void OnPointerPrecision(int);
    void OnScrollLines(int);
    void OnScrollPage(int);
    void OnDoubleClick(int);
    void OnZelvoSliderMove(int n);
    void OnZelvoEdit(int n);

    ColourChooser chooseColour_;
    std::optional<WriteOutcome> lastWrite_;
};

// Registers "MouseSettings" with the control factory.
void RegisterMouseSettingsPanel();
