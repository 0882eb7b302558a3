#pragma once
// The shell's tests run on the real skin, in a temporary home (XDG data and config folders).
#include <QStandardPaths>

#include "support/ui_fixture.h"
#include "ui/resource_list.h"
#include "ui/resource_manager.h"

namespace shelltest {
// One temporary home for the whole program: settings paths are fixed at first use.
inline const QTemporaryDir& home() {
    static QTemporaryDir* dir = [] {
        auto* d = new QTemporaryDir;
        qputenv("XDG_DATA_HOME", (d->path() + "/data").toUtf8());
        qputenv("XDG_CONFIG_HOME", (d->path() + "/config").toUtf8());
        return d;
    }();
    return *dir;
}

class ShellFixture : public uitest::AppFixture {
  protected:
    ShellFixture() {
        home();
        ui::SetResourcePath(QStringLiteral(SKELMORA_SOURCE_ROOT) + "/skin");
        CResourceList::GetInstance().Load();
        CResourceManager::GetInstance().LoadLanguage(QStringLiteral("lan_en.xml"));
    }
    ~ShellFixture() override { CResourceManager::GetInstance().SetTexts({}); }
};
}  // namespace shelltest
