#pragma once
// The automation requests ("skelmora-send ui ..."), taken only when the instance runs with
// --automation. They act on the real widgets of the main window, of its shown device page and
// of the program's own topmost modal window, so each notification flows through the path a
// user's takes: a click is a click, a slider is set and released, an edit gets its text and
// loses the focus. Actions are queued: the reply goes out first, so a handler that opens a
// modal window runs after it. Reading ("get") reaches any control of the window or the shown
// page, hidden or not; the other requests refuse hidden or disabled controls.
//
//   show KIND[:TAB]   KIND keyboard | mouse | mousepad | headset; TAB light | keys | macros |
//                     system | cursor | voice | magic | surround
//   click NAME        select NAME | unselect NAME       item NAME ROW       value NAME N
//   text NAME TEXT    get NAME                          power suspend | resume
//   where NAME        the control's screen rectangle "X Y WIDTH HEIGHT" (shown controls)
#include <string>

#include "platform/message_port.h"

class CMainWnd;
class QWidget;

class CAutomation {
  public:
    explicit CAutomation(CMainWnd& window) : window_(window) {}
    platform::MessagePort::UiResult Handle(const std::string& request);

  private:
    // The control by name in the topmost modal window, else in the main window outside the
    // device pages or inside the shown page; none when it is elsewhere or nowhere.
    QWidget* Find(const QString& name) const;
    platform::MessagePort::UiResult Show(const QString& what);

    CMainWnd& window_;
};
