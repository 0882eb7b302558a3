// The monitor source against a server that is not there, one that never answers, and, where a
// PulseAudio or PipeWire server runs, the real one (skipped with a message otherwise).
#include "platform/pulse_monitor_source.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cstdlib>

#include "platform/stop_event.h"

namespace {

using platform::AudioReadStatus;
using platform::CPulseMonitorSource;

// Points libpulse at one server for the test's life.
class ServerOverride {
  public:
    explicit ServerOverride(const std::string& server) {
        if (const char* old = std::getenv("PULSE_SERVER")) saved_ = old;
        had_ = std::getenv("PULSE_SERVER") != nullptr;
        setenv("PULSE_SERVER", server.c_str(), 1);
    }
    ~ServerOverride() {
        if (had_) {
            setenv("PULSE_SERVER", saved_.c_str(), 1);
        } else {
            unsetenv("PULSE_SERVER");
        }
    }

  private:
    std::string saved_;
    bool had_ = false;
};

TEST(PulseMonitorSource, NoServerIsAClearRefusal) {
    QTemporaryDir dir;
    ServerOverride server("unix:" + dir.path().toStdString() + "/no-such-socket");
    CPulseMonitorSource source;
    const platform::AudioOpenResult opened = source.Open();
    EXPECT_FALSE(opened.ok);
    EXPECT_NE(opened.detail.find("no PulseAudio or PipeWire server"), std::string::npos)
        << opened.detail;
    std::vector<float> block(64);
    EXPECT_EQ(source.Read(block, 0, -1).status, AudioReadStatus::Failed);
    EXPECT_EQ(source.LastError(), opened.detail);
}

TEST(PulseMonitorSource, AServerThatNeverAnswersIsGivenUpAfterTwoSeconds) {
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/mute";
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);  // accepted by the kernel, never answered
    ServerOverride server("unix:" + path);
    CPulseMonitorSource source;
    const platform::AudioOpenResult opened = source.Open();
    close(listener);
    EXPECT_FALSE(opened.ok);
    EXPECT_NE(opened.detail.find("PulseAudio or PipeWire"), std::string::npos) << opened.detail;
}

TEST(PulseMonitorSource, RecordsTheDefaultOutputsMonitorWhereAServerRuns) {
    CPulseMonitorSource source;
    const platform::AudioOpenResult opened = source.Open();
    if (!opened.ok) GTEST_SKIP() << "no sound server to record from: " << opened.detail;
    EXPECT_GE(source.SampleRate(), 8000);
    EXPECT_LE(source.SampleRate(), 192000);
    EXPECT_FALSE(source.MonitorName().empty());
    // A monitor delivers samples (silence included) while the output runs; an output that
    // sleeps delivers none, so a time-out is no failure. The stop event ends a wait at once.
    std::vector<float> block(4096);
    const platform::AudioReadResult r = source.Read(block, 500, -1);
    EXPECT_TRUE(r.status == AudioReadStatus::Data || r.status == AudioReadStatus::TimedOut);
    platform::StopEvent stop(platform::StopEvent::Mode::ManualReset);
    stop.Set();
    for (int i = 0; i < 1000; ++i) {
        const platform::AudioReadResult next = source.Read(block, -1, stop.Fd());
        if (next.status == AudioReadStatus::Data) continue;  // what was waiting comes first
        EXPECT_EQ(next.status, AudioReadStatus::Stopped);
        break;
    }
}

}  // namespace
