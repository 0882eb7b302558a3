#include "temp_home.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

#include <cstdlib>
#include <string>

namespace temp_home {

namespace {

QString root;
QCoreApplication* app = nullptr;

class Environment : public ::testing::Environment {
public:
    void SetUp() override {
        std::string pattern = QDir::tempPath().toStdString() + "/skelmora-platform-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);  // mode 0700, as a runtime folder must be
        root = QString::fromStdString(pattern);
        ASSERT_TRUE(QDir(root).mkpath("runtime"));
        ASSERT_TRUE(QDir(root).mkpath("config"));
        ASSERT_TRUE(QDir(root).mkpath("data"));
        ASSERT_TRUE(QFile::setPermissions(RuntimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("HOME", root.toUtf8());
        qputenv("XDG_RUNTIME_DIR", RuntimeDir().toUtf8());
        qputenv("XDG_CONFIG_HOME", ConfigDir().toUtf8());
        qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
        static int argc = 1;
        static char name[] = "test_platform";
        static char* argv[] = {name, nullptr};
        app = new QCoreApplication(argc, argv);
    }
    void TearDown() override {
        delete app;
        app = nullptr;
        if (!root.isEmpty()) QDir(root).removeRecursively();
    }
};

[[maybe_unused]] const auto* registered = ::testing::AddGlobalTestEnvironment(new Environment);

}  // namespace

QString Root() { return root; }
QString RuntimeDir() { return root + "/runtime"; }
QString ConfigDir() { return root + "/config"; }

bool SpinUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (done()) return true;
        if (deadline.hasExpired()) return false;
        QThread::msleep(1);
    }
}

}  // namespace temp_home
