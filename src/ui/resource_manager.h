#pragma once
// CResourceManager: the text catalogue of the current language (text identifier -> text).
//
// Language files are UTF-8 XML in the skin folder:
//   <Language name="English">
//     <Text id="message_text_7">Writing to the device failed.</Text>
//   </Language>
// A control shows a resource text when its dynamic property "restext" is true: its text is
// then a text identifier, shown translated, and translated again by ReloadText after a
// language change. Identifiers missing from the catalogue are shown as they stand.
#include <QHash>
#include <QString>

class QWidget;

class CResourceManager {
  public:
    static CResourceManager& GetInstance();

    void SetLanguage(const QString& name) { m_language = name; }
    QString GetLanguage() const { return m_language; }
    // Loads a language file (relative to the skin folder, or absolute). On failure (missing,
    // unreadable or malformed file) logs why, keeps the current catalogue and returns false.
    bool LoadLanguage(const QString& file);
    // Replaces the catalogue (for code that builds texts itself, and tests).
    void SetTexts(QHash<QString, QString> texts) { m_texts = std::move(texts); }
    // The text of an identifier; the identifier itself when the catalogue has none.
    QString GetText(const QString& id) const;
    bool HasText(const QString& id) const { return m_texts.contains(id); }
    int TextCount() const { return static_cast<int>(m_texts.size()); }
    // Translates again every resource-text control (and combo or list item) of every window.
    void ReloadText() const;
    // The same for one subtree.
    void ReloadText(QWidget* root) const;

  private:
    QString m_language;
    QHash<QString, QString> m_texts;
};

namespace ui {
// Parses a language file's content into the catalogue; false (with the reason) when the XML
// is malformed or not a <Language> document. Pure.
bool ParseLanguageXml(const QByteArray& content, QHash<QString, QString>& texts, QString& error);
}  // namespace ui
