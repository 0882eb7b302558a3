#include "panels/profile_link_wnd.h"

#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>

#include "ui/control_props.h"

namespace {

constexpr char kList[] = "link_program_list";
constexpr char kEdit[] = "link_program_edit";

}  // namespace

QString LinkNameOf(const platform::ProcessInfo& process) {
    const QString argument = QString::fromStdString(process.argumentName);
    if (argument.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive)) return argument;
    return QString::fromStdString(process.DisplayName());
}

CProfileLinkWnd::CProfileLinkWnd(QString current, QWidget* parent)
    : WindowImplBase(parent), current_(std::move(current)) {
    programs_ = [] { return platform::ProcReader().List(); };
    chooseFile_ = [this] {
        QFileDialog dialog(this);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().first();
    };
}

void CProfileLinkWnd::InitWindow() {
    ui::SetText(FindControl(QString::fromLatin1(kEdit)), current_);
    RefreshPrograms();
}

void CProfileLinkWnd::RefreshPrograms() {
    QWidget* list = FindControl(QString::fromLatin1(kList));
    if (!list || !programs_) return;
    std::vector<platform::ProcessInfo> processes = programs_();
    std::erase_if(processes,
                  [](const platform::ProcessInfo& p) { return LinkNameOf(p).isEmpty(); });
    std::sort(processes.begin(), processes.end(), [](const auto& a, const auto& b) {
        const int order = LinkNameOf(a).compare(LinkNameOf(b), Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.pid < b.pid;
    });
    ui::RemoveAllItems(list);
    for (const platform::ProcessInfo& process : processes) {
        const QString name = LinkNameOf(process);
        ui::AddLabelItem(list, QStringLiteral("%1 (%2)").arg(name).arg(process.pid), name);
    }
}

void CProfileLinkWnd::Finish(std::optional<QString> result) {
    result_ = std::move(result);
    Close(result_ ? 1 : 0);
}

void CProfileLinkWnd::Notify(TNotifyUI& msg) {
    if (!msg.pSender) return;
    const QString name = msg.pSender->objectName();
    if (msg.sType == QLatin1String(notify_type::kItemSelect) && name == QLatin1String(kList)) {
        const int row = ui::GetCurSel(msg.pSender);
        if (row >= 0)
            ui::SetText(FindControl(QString::fromLatin1(kEdit)),
                        ui::GetItemUserData(msg.pSender, row));
        return;
    }
    if (msg.sType != QLatin1String(notify_type::kClick)) return;
    if (name == QLatin1String("confirm_btn")) {
        // A name is what the link holds: surrounding blanks are never part of it, and no name
        // at all is the same as unlinking.
        Finish(ui::GetText(FindControl(QString::fromLatin1(kEdit))).trimmed());
    } else if (name == QLatin1String("link_unlink_btn")) {
        Finish(QString());
    } else if (name == QLatin1String("cancel_btn") || name == QLatin1String("closebtn")) {
        Finish(std::nullopt);
    } else if (name == QLatin1String("link_refresh_btn")) {
        RefreshPrograms();
    } else if (name == QLatin1String("link_browse_btn") && chooseFile_) {
        const QString file = chooseFile_();
        if (!file.isEmpty())
            ui::SetText(FindControl(QString::fromLatin1(kEdit)), QFileInfo(file).fileName());
    }
}

std::optional<QString> ChooseProgramLink(QWidget* owner, const QString& current) {
    CProfileLinkWnd wnd(current);
    if (!wnd.Create(owner, QStringLiteral("profilelink"), Qt::Tool)) return std::nullopt;
    wnd.CenterWindow();
    wnd.ShowModal();
    return wnd.Result();
}
