#include "platform/power_source.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QTimer>

#include "platform/log_categories.h"

namespace platform {

namespace {
constexpr char kService[] = "org.freedesktop.login1";
constexpr char kPath[] = "/org/freedesktop/login1";
constexpr char kInterface[] = "org.freedesktop.login1.Manager";
}  // namespace

std::unique_ptr<LogindPowerSource> LogindPowerSource::Connect(QObject* parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(QString::fromLatin1(kService)).value()) {
        qCInfo(lcPlatform) << "no system bus or no logind: suspend and resume are not followed";
        return nullptr;
    }
    std::unique_ptr<LogindPowerSource> source(new LogindPowerSource(parent));
    if (!bus.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                     QString::fromLatin1(kInterface), QStringLiteral("PrepareForSleep"),
                     source.get(), SLOT(OnPrepareForSleep(bool)))) {
        qCInfo(lcPlatform) << "logind's PrepareForSleep cannot be followed";
        return nullptr;
    }
    source->TakeInhibitor();
    return source;
}

LogindPowerSource::LogindPowerSource(QObject* parent) : IPowerSource(parent) {}

LogindPowerSource::~LogindPowerSource() { ReleaseInhibitor(); }

void LogindPowerSource::TakeInhibitor() {
    if (inhibitorFd_ >= 0) return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kInterface), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("skelmora")
         << QStringLiteral("hand the lighting back to the devices") << QStringLiteral("delay");
    const QDBusReply<QDBusUnixFileDescriptor> reply = QDBusConnection::systemBus().call(call);
    if (!reply.isValid() || !reply.value().isValid()) {
        qCInfo(lcPlatform) << "no sleep inhibitor:" << reply.error().message();
        return;
    }
    inhibitorFd_ = ::dup(reply.value().fileDescriptor());
}

void LogindPowerSource::ReleaseInhibitor() {
    if (inhibitorFd_ < 0) return;
    ::close(inhibitorFd_);
    inhibitorFd_ = -1;
}

void LogindPowerSource::ReadyForSleep() { ReleaseInhibitor(); }

void LogindPowerSource::OnPrepareForSleep(bool sleeping) {
    if (sleeping) {
        // The listener releases it once done; never hold the sleep for more than a second.
        QTimer::singleShot(kMaxSleepDelayMs, this, [this] { ReleaseInhibitor(); });
    } else {
        TakeInhibitor();
    }
    emit prepareForSleep(sleeping);
}

}  // namespace platform
