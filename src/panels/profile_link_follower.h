#pragma once
// CProfileLinkFollower: makes a device's profile follow the program in front, for one profile
// panel. The watcher's findings arrive on the UI thread (OnForeground); ProfileLinkRule picks
// the profile; the switch waits kSwitchDelayMs like the combo's own switch (a second finding
// within it replaces the first) and then runs the panel's switch steps. While the busy check
// says so (key edits not yet saved, a macro being recorded), the switch waits again. A profile
// the user switches to cancels a switch that has not run yet.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "profiles/profile_link_rule.h"

class CDeviceProfileUI;

class CProfileLinkFollower : public QObject {
    Q_OBJECT
  public:
    // Parented to the panel.
    explicit CProfileLinkFollower(CDeviceProfileUI* panel);

    using BusyCheck = std::function<bool()>;
    void SetBusyCheck(BusyCheck busy) { busy_ = std::move(busy); }

    // The program in front changed ("" for none that a link names).
    void OnForeground(const QString& program);
    // The identifier a switch waits to switch to.
    const std::optional<std::string>& Pending() const { return pending_; }
    // The delay ended: switch now, or wait again while busy.
    void RunPendingSwitch();
    const profiles::ProfileLinkRule& Rule() const { return rule_; }

  private:
    void OnActiveChanged();

    QPointer<CDeviceProfileUI> panel_;
    profiles::ProfileLinkRule rule_;
    QTimer timer_;
    BusyCheck busy_;
    std::optional<std::string> pending_;
    bool switching_ = false;
};
