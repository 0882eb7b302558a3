#pragma once
// A keyboard device on an emulated keyboard, with its data folders in a temporary home.
#include <json/json.h>

#include <QDir>
#include <QFile>

#include "devices/device_test_support.h"
#include "devices/emulated_device_fixture.h"
#include "devices/skelmora_keyboard_device.h"
#include "emulator/device_catalog.h"
#include "profiles/json_file.h"

namespace kbdtest {

// Exposes the report handler the event threads reach through a queued call.
class TestKeyboard : public CSkelmoraKeyboardDevice {
  public:
    using CSkelmoraKeyboardDevice::CSkelmoraKeyboardDevice;
    using CSkelmoraKeyboardDevice::OnDeviceReport;
};

using devtest::Request;

class KeyboardFixture : public devtest::EmulatedKeyboard {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.Enter());
        devtest::EmulatedKeyboard::SetUp();
        keyboard_ = std::make_unique<TestKeyboard>(nullptr, bus_);
        keyboard_->SetKindName(QStringLiteral("keyboard"));
        keyboard_->SetProfileBaseName(QStringLiteral("keyboard"));
        keyboard_->SetLightConfigurationName(QStringLiteral("zelvo_light"));
        keyboard_->SetModelIndex(0);
        keyboard_->SetDefaultDataFolder(QStringLiteral(SKELMORA_SOURCE_ROOT "/DefaultData/"));
        AttachCommandChannel(*keyboard_);
    }
    void TearDown() override {
        keyboard_.reset();
        home_.Leave();
    }

    QString Folder() const { return keyboard_->GetUserDataFolder(); }
    std::filesystem::path FolderPath(const char* name) const {
        return std::filesystem::path((Folder() + QLatin1String(name)).toStdString());
    }
    void WriteFile(const char* name, const QByteArray& text) {
        QFile file(Folder() + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    void WriteJson(const char* name, const Json::Value& value) {
        ASSERT_TRUE(profiles::JsonFile().WriteDocument(value, FolderPath(name)).ok());
    }
    Json::Value ReadJson(const char* name) const {
        return profiles::JsonFile().ReadDocument(FolderPath(name));
    }
    // "macro.config" naming n macros "m0".."m{n-1}" and their files with the given events.
    void WriteMacros(int n, int eventsEach) {
        Json::Value config(Json::objectValue);
        for (int i = 0; i < n; ++i) {
            const std::string guid = "m" + std::to_string(i);
            Json::Value entry(Json::objectValue);
            entry["MacroName"] = "macro " + std::to_string(i);
            entry["Guid"] = guid;
            config["MacroInfo"].append(entry);
            Json::Value file(Json::objectValue);
            file["Events"] = Json::Value(Json::arrayValue);
            for (int e = 0; e < eventsEach; ++e) {
                Json::Value event(Json::objectValue);
                event["Action"] = e % 2 == 0 ? "down" : "up";
                event["Button"] = 4 + i;
                event["Type"] = 10;
                event["Delay"] = std::to_string(10 * (e + 1));
                file["Events"].append(event);
            }
            WriteJson((guid + ".mac").c_str(), file);
        }
        WriteJson("macro.config", config);
    }

    std::vector<Request> Requests() const { return devtest::RequestsOf(*firmware_); }
    std::vector<uint8_t> Dump(emu::AreaId area) const { return *firmware_->Dump(area); }

    devtest::DataHome home_;
    std::unique_ptr<TestKeyboard> keyboard_;
};

}  // namespace kbdtest
