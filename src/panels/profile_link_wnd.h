#pragma once
// CProfileLinkWnd: the window behind "device_link_btn" (layout "XML/ProfileLinkDialog.xml").
// It lists the user's running programs as "NAME (PID)", lets the user pick one, type a name or
// choose a program file, and gives back the name to link, "" to unlink, or nothing when the
// user cancels. The tip under the title says what "in front" can mean on this desktop.
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "platform/active_program.h"
#include "ui/window_impl.h"

class CProfileLinkWnd : public WindowImplBase {
    Q_OBJECT
  public:
    using ProgramSource = std::function<std::vector<platform::ProcessInfo>()>;
    // A program file chosen by the user, or "" when cancelled.
    using FileChooser = std::function<QString()>;

    // current: the program linked now ("" for none).
    explicit CProfileLinkWnd(QString current, QWidget* parent = nullptr);

    QString GetSkinFile() const override { return QStringLiteral("XML/ProfileLinkDialog.xml"); }
    QString GetWindowClassName() const override { return QStringLiteral("ProfileLinkWnd"); }
    void Notify(TNotifyUI& msg) override;

    // Where the running programs come from (the user's processes under /proc by default).
    void SetProgramSource(ProgramSource source) { programs_ = std::move(source); }
    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    // Fills the list again from the program source.
    void RefreshPrograms();
    // After the window closed: the name to link ("" unlinks), or nullopt.
    const std::optional<QString>& Result() const { return result_; }

  protected:
    void InitWindow() override;

  private:
    void Finish(std::optional<QString> result);

    QString current_;
    ProgramSource programs_;
    FileChooser chooseFile_;
    std::optional<QString> result_;
};

// The name a running program is linked by: a Windows program's ".exe" (its first argument when
// it runs under a loader such as Wine), else its own name.
QString LinkNameOf(const platform::ProcessInfo& process);

// Shows the window modally over owner; the panel's default link chooser.
std::optional<QString> ChooseProgramLink(QWidget* owner, const QString& current);
