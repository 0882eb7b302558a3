#pragma once
// The main window over one emulated device of a kind, in a temporary XDG home, with the
// program's skin and controls: for tests of a device page as the program shows it.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/device_manager.h"
#include "app/main_wnd.h"
#include "emulator/emulated_bus.h"
#include "support/program_controls.h"
#include "support/ui_fixture.h"
#include "tables/device_tables.h"
#include "tables/table_ids.h"

namespace uitest {

class OneDeviceWindow : public AppFixture {
  protected:
    void TearDown() override {
        window_.reset();
        RestoreShippedInterfaceTable();
        ui::SetResourcePath(QString());
    }

    // Plugs the device, shows the window and waits for the device's item. The mouse's and the
    // pad's rows of the shipped tables name no device: they get the emulated ones' ids.
    void Start(const char* kind) {
        ASSERT_TRUE(home_.isValid());
        qputenv("XDG_DATA_HOME", home_.filePath("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
        UseProgramSkinAndControls();
        const std::string implied = tables::EmulatedTableIds(kind);
        std::vector<tables::TableIdOverride> ids;
        std::string error;
        ASSERT_TRUE(implied.empty() || tables::ParseTableIds(implied, ids, error)) << error;
        tables::ApplyTableIds(ids);
        ASSERT_TRUE(bus_->Plug(kind, error)) << error;
        window_ = std::make_unique<CMainWnd>(bus_);
        window_->trayAvailable = [] { return false; };
        ASSERT_TRUE(window_->Create(nullptr, "test"));
        window_->show();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return window_->Devices()->VisibleItemCount() == 1; }, 5000));
    }

    CDeviceManager& Devices() { return *window_->Devices(); }

    QTemporaryDir home_;
    std::shared_ptr<emu::EmulatedBus> bus_ = emu::EmulatedBus::Create();
    std::unique_ptr<CMainWnd> window_;
};

}  // namespace uitest
