#pragma once
// CUpdateInfoListItemUI ("UpdateInfoListItemUI"): one row of the update list, built from
// "XML/CustomControlXML/device_Update_list_item.xml", 40 pixels high. Its status number decides
// the status text, the progress and done marks, whether its option can be chosen and the
// option's colours (update_status.h); its user data is the download address.
#include <QPointer>
#include <QWidget>

class CControlFactory;

class CUpdateInfoListItemUI : public QWidget {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "UpdateInfoListItemUI";
    static constexpr char kLayoutFile[] = "XML/CustomControlXML/device_Update_list_item.xml";
    static constexpr int kHeight = 40;

    explicit CUpdateInfoListItemUI(QWidget* parent = nullptr);
    bool IsBuilt() const { return m_built; }

    // Answer texts are shown as plain text, never as rich text.
    void SetName(const QString& name);
    void SetCurrentVersion(const QString& text);
    void SetNewVersion(const QString& text);  // hidden while empty
    // Setting the status the row already has does nothing; a number outside the table is
    // ignored.
    void SetStatus(int status);
    int GetStatus() const { return m_status; }
    void SetProgress(int percent);

    QWidget* Option() const;
    bool IsChosen() const;
    void SetChosen(bool chosen);
    void SetOptionEnabled(bool enabled);

  private:
    QWidget* child(const char* name) const;

    bool m_built = false;
    int m_status = -1;
};

namespace update {
void RegisterUpdateControls(CControlFactory& factory);
}
