#pragma once
// Notifications from controls to a window's receivers. A notification carries its type
// (one of the strings below, spelled exactly as the pages and panels expect them), the
// control that sent it and two free parameters (for "timer": wParam is the timer id).
#include <QPointer>
#include <QString>
#include <QWidget>

namespace notify_type {
inline constexpr char kClick[] = "click";
inline constexpr char kSelectChanged[] = "selectchanged";
inline constexpr char kItemSelect[] = "itemselect";
inline constexpr char kItemClick[] = "itemclick";
inline constexpr char kValueChanged[] = "valuechanged";
inline constexpr char kMoveValueChanged[] = "movevaluechanged";
inline constexpr char kTextChanged[] = "textchanged";
inline constexpr char kSetFocus[] = "setfocus";
inline constexpr char kKillFocus[] = "killfocus";
inline constexpr char kWindowInit[] = "windowinit";
inline constexpr char kTimer[] = "timer";
inline constexpr char kMenu[] = "menu";
inline constexpr char kColorChanged[] = "colorchanged";
inline constexpr char kMouseEnter[] = "msenter";
inline constexpr char kMouseLeave[] = "msleave";
inline constexpr char kDoubleClick[] = "dbclick";
inline constexpr char kClickSelectEnd[] = "click_select_end";
}  // namespace notify_type

struct TNotifyUI {
    QString sType;
    QPointer<QWidget> pSender;
    qintptr wParam = 0;
    qintptr lParam = 0;
};

// A receiver of a window's notifications (a window, a page or a panel).
class INotifyUI {
  public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};
