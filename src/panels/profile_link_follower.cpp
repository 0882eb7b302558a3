#include "panels/profile_link_follower.h"

#include "panels/device_profile_ui.h"

CProfileLinkFollower::CProfileLinkFollower(CDeviceProfileUI* panel)
    : QObject(panel), panel_(panel) {
    timer_.setSingleShot(true);
    timer_.setInterval(CDeviceProfileUI::kSwitchDelayMs);
    connect(&timer_, &QTimer::timeout, this, &CProfileLinkFollower::RunPendingSwitch);
    connect(panel, &CDeviceProfileUI::activeProfileChanged, this,
            &CProfileLinkFollower::OnActiveChanged);
}

void CProfileLinkFollower::OnForeground(const QString& program) {
    if (!panel_ || !panel_->List()) return;
    pending_ = rule_.OnForeground(program.toStdString(), *panel_->List());
    if (pending_) {
        timer_.start();
    } else {
        timer_.stop();
    }
}

void CProfileLinkFollower::RunPendingSwitch() {
    timer_.stop();
    if (!pending_ || !panel_ || !panel_->List()) return;
    if (busy_ && busy_()) {
        timer_.start();
        return;
    }
    const auto& entries = panel_->List()->Entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].usable || entries[i].identifier != *pending_) continue;
        pending_.reset();
        switching_ = true;
        panel_->SwitchToEntry(static_cast<int>(i));
        switching_ = false;
        return;
    }
    pending_.reset();  // deleted in the meantime
}

void CProfileLinkFollower::OnActiveChanged() {
    if (switching_) return;
    // The user's own choice: a switch still waiting would undo it.
    pending_.reset();
    timer_.stop();
}
