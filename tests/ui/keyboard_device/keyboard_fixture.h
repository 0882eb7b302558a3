#pragma once
// A keyboard device on an emulated keyboard, with its data folders in a temporary home.
#include <json/json.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "devices/device_test_support.h"
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

struct Request {
    uint8_t command;
    uint8_t length;
    uint16_t offset;
    friend bool operator==(const Request&, const Request&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Request& r) {
        return os << "{" << std::hex << int{r.command} << " len " << std::dec << int{r.length}
                  << " at " << r.offset << "}";
    }
};

class KeyboardFixture : public devtest::EmulatedKeyboard {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        saved_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home_.path().toUtf8());
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
        if (saved_.isNull()) {
            qunsetenv("XDG_DATA_HOME");
        } else {
            qputenv("XDG_DATA_HOME", saved_);
        }
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

    std::vector<Request> Requests() const {
        std::vector<Request> out;
        for (const hid::Report& r : firmware_->RequestLog())
            out.push_back({r[3], r[4], static_cast<uint16_t>(r[5] | (r[6] << 8))});
        return out;
    }
    std::vector<uint8_t> Dump(emu::AreaId area) const { return *firmware_->Dump(area); }

    QTemporaryDir home_;
    QByteArray saved_;
    std::unique_ptr<TestKeyboard> keyboard_;
};

}  // namespace kbdtest
