#pragma once
// CDialogBuilder: builds a widget tree from a layout file (a Qt Designer .ui document).
//
// Class names in the layout are looked up in CControlFactory first (custom controls and
// composites built from their own layout file), then among Qt's widgets. The tree is then
// prepared for the layer: resource texts translated, edits configured, background colours
// and images applied, and every control wired to send notifications (control_wiring.h).
//
// A missing, unreadable or malformed layout file, an unknown class, or a composite whose own
// layout fails makes the whole build fail: no tree, an error text, one logged warning.
#include <QByteArray>
#include <QString>

class QWidget;

struct BuildResult {
    QWidget* root = nullptr;  // owned by the parent given, or by the caller
    QString error;
    explicit operator bool() const { return root != nullptr; }
};

class CDialogBuilder {
  public:
    // nameOrFile: a resource name of "res.xml" ("XML_MSG") or a layout file relative to the
    // skin folder ("XML/DeviceXml/keyboarddevice.xml"), or an absolute path.
    static BuildResult Create(const QString& nameOrFile, QWidget* parent = nullptr);
    // The same from a layout held in memory; label names it in error texts.
    static BuildResult CreateFromData(const QByteArray& layout, const QString& label,
                                      QWidget* parent = nullptr);
    // The preparation step alone, for trees built in code.
    static void PrepareTree(QWidget* root);
};
