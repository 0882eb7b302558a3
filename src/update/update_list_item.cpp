#include "update/update_list_item.h"

#include <QAbstractButton>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/control_factory.h"
#include "ui/control_look.h"
#include "ui/control_props.h"
#include "ui/layout_loader.h"
#include "update/update_log.h"
#include "update/update_status.h"

CUpdateInfoListItemUI::CUpdateInfoListItemUI(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    ui::SetFixedHeight(this, kHeight);
    const BuildResult built = CDialogBuilder::Create(QString::fromLatin1(kLayoutFile), this);
    if (!built) {
        qCWarning(lcUpdate) << "update list row not built:" << built.error;
        return;
    }
    layout->addWidget(built.root);
    m_built = true;
    // The status column stays in place while the new version is hidden.
    if (QWidget* latest = child("updateRev")) {
        QSizePolicy policy = latest->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        latest->setSizePolicy(policy);
    }
    for (const char* name : {"OldRev", "updateRev", "update_progress_value"}) {
        if (auto* label = qobject_cast<QLabel*>(child(name))) label->setTextFormat(Qt::PlainText);
    }
}

QWidget* CUpdateInfoListItemUI::child(const char* name) const {
    return findChild<QWidget*>(QLatin1String(name));
}

QWidget* CUpdateInfoListItemUI::Option() const { return child("check_name_select"); }

void CUpdateInfoListItemUI::SetName(const QString& name) { ui::SetText(Option(), name); }

void CUpdateInfoListItemUI::SetCurrentVersion(const QString& text) {
    ui::SetText(child("OldRev"), text);
}

void CUpdateInfoListItemUI::SetNewVersion(const QString& text) {
    QWidget* label = child("updateRev");
    ui::SetText(label, text);
    ui::SetVisible(label, !text.isEmpty());
}

void CUpdateInfoListItemUI::SetStatus(int status) {
    if (status == m_status) return;
    const std::optional<update::RowStatusLook> look = update::LookOfStatus(status);
    if (!look) return;
    m_status = status;
    QWidget* text = child("update_status_text");
    ui::SetResourceText(text, true);
    ui::SetText(text, QString::fromLatin1(look->textKey.data(),
                                          static_cast<qsizetype>(look->textKey.size())));
    ui::SetVisible(child("update_status_ing"), look->progressShown);
    ui::SetVisible(child("update_status_ok"), look->doneShown);
    SetOptionEnabled(look->optionEnabled);
    if (QWidget* option = Option()) {
        option->setStyleSheet(QStringLiteral("QCheckBox { color: %1; } QCheckBox:checked { color: "
                                             "%2; } QCheckBox:disabled { color: %3; }")
                                  .arg(ui::ArgbToCss(look->textColor),
                                       ui::ArgbToCss(look->selectedTextColor),
                                       ui::ArgbToCss(look->disabledTextColor)));
    }
}

void CUpdateInfoListItemUI::SetProgress(int percent) {
    ui::SetText(child("update_progress_value"), QString::number(percent) + QLatin1Char('%'));
}

bool CUpdateInfoListItemUI::IsChosen() const { return ui::IsSelected(Option()); }

void CUpdateInfoListItemUI::SetChosen(bool chosen) { ui::SetSelected(Option(), chosen); }

void CUpdateInfoListItemUI::SetOptionEnabled(bool enabled) { ui::SetEnabled(Option(), enabled); }

namespace update {
void RegisterUpdateControls(CControlFactory& factory) {
    factory.RegistControl(QString::fromLatin1(CUpdateInfoListItemUI::kClassName),
                          [](QWidget* parent) { return new CUpdateInfoListItemUI(parent); });
}
}  // namespace update
