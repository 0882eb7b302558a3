#pragma once
// Dispatch tables for notifications: windows, pages and panels route what their controls send
// through one constant table each, {notification type, control name or prefix} -> handler,
// instead of a chain of comparisons. The first row that matches runs, and only that one.
//
//   const ui::NotifyRow<CMyPanel> CMyPanel::kRows[] = {
//       {notify_type::kClick, "save_btn", &CMyPanel::OnSave},
//       {notify_type::kClick, "key_", &CMyPanel::OnKey, ui::NotifyMatch::NumberedPrefix},
//   };
//   void CMyPanel::Notify(TNotifyUI& msg) { ui::DispatchNotify(this, kRows, msg); }
//
// A handler of a numbered-prefix row reads the number with ui::NumberAfterPrefix.
#include <QString>
#include <optional>
#include <span>

#include "ui/notify.h"

namespace ui {

enum class NotifyMatch {
    Exact,           // the control's name is `control`
    NumberedPrefix,  // `control` followed by a decimal number ("DPI_slider_" 3)
    Prefix,          // any name that begins with `control` ("macro_btn_")
    AnyControl,      // any sender (`control` is not looked at)
};
// A row whose control is nullptr takes any sender, whatever its match.

// Whether a notification of `type` from a control named `name` matches a row. Pure.
bool MatchesNotify(const char* rowType, const char* rowControl, NotifyMatch match,
                   const QString& type, const QString& name);

// The decimal number after `prefix` in `name` ("windowdeviceset_1" -> 1); none when the name
// does not begin with the prefix or the rest is not a decimal number that fits an int. Pure.
std::optional<int> NumberAfterPrefix(const QString& name, const char* prefix);

template <class Owner>
struct NotifyRow {
    const char* type;
    const char* control;
    void (Owner::*run)(TNotifyUI& msg);
    NotifyMatch match = NotifyMatch::Exact;
};

// Runs the first matching row; false when none matched (or there is no sender).
template <class Owner>
bool DispatchNotify(Owner* owner, std::span<const NotifyRow<Owner>> rows, TNotifyUI& msg) {
    if (!msg.pSender) return false;
    const QString name = msg.pSender->objectName();
    for (const NotifyRow<Owner>& row : rows) {
        if (!MatchesNotify(row.type, row.control, row.match, msg.sType, name)) continue;
        (owner->*row.run)(msg);
        return true;
    }
    return false;
}

template <class Owner, std::size_t N>
bool DispatchNotify(Owner* owner, const NotifyRow<Owner> (&rows)[N], TNotifyUI& msg) {
    return DispatchNotify(owner, std::span<const NotifyRow<Owner>>(rows, N), msg);
}

// Rows whose handler takes the control's number: a numbered row matches `control` followed by
// a decimal number and passes that number, an exact row passes 0.
template <class Owner>
struct NumberedNotifyRow {
    const char* type;
    const char* control;
    bool numbered;
    void (Owner::*run)(int n);
};

// Runs the first matching row; false when none matched (or there is no sender).
template <class Owner, std::size_t N>
bool DispatchNumbered(Owner* owner, const NumberedNotifyRow<Owner> (&rows)[N], TNotifyUI& msg) {
    if (!msg.pSender) return false;
    const QString name = msg.pSender->objectName();
    for (const NumberedNotifyRow<Owner>& row : rows) {
        if (msg.sType != QLatin1String(row.type)) continue;
        int n = 0;
        if (row.numbered) {
            const std::optional<int> number = NumberAfterPrefix(name, row.control);
            if (!number) continue;
            n = *number;
        } else if (name != QLatin1String(row.control)) {
            continue;
        }
        (owner->*row.run)(n);
        return true;
    }
    return false;
}

}  // namespace ui
