#pragma once

#include "help/tagedit.h"

#include <QDialog>
#include <QKeySequence>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QStatusBar;
class QVBoxLayout;
class ToolTipRelay;
enum class ToolPicture;

// The editor of one help topic's body: plain text with HTML-like tags, which the tool
// buttons (and Ctrl+B, Ctrl+U, Ctrl+I) insert and every Return ends with "<br>". The caller
// puts the body into BodyEdit, runs the dialog and takes the text back when it was left with
// Save (or Ctrl+S). Leaving it otherwise with text that differs from what it opened with
// asks first whether to give that text up.
class SmeltworkEditor : public QDialog
{
    Q_OBJECT

public:
    explicit SmeltworkEditor(QWidget *parent = nullptr, const char *name = nullptr,
                             bool modal = false, Qt::WindowFlags fl = {});

    SmeltworkTagEdit *BodyEdit;
    QPushButton *CloseBtn;
    QPushButton *SaveBtn;
    QStatusBar *StatusBar;
    QLabel *NumLockInd;
    QLabel *CapsLockInd;

public Q_SLOTS:
    // Close, Escape and the window's close button: asks before typed text is dropped.
    void reject() override;

protected:
    QVBoxLayout *EditorLayout;
    QHBoxLayout *ToolRowLayout;

    void keyReleaseEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

protected Q_SLOTS:
    virtual void addBR();
    virtual void toggleBold();
    virtual void toggleUline();
    virtual void toggleItalic();
    virtual void saveBody();
    virtual void topicSelected(int);

private:
    // The tool buttons that are not kept as members, between building and connecting.
    struct ToolButtons
    {
        QPushButton *bold, *underline, *italic, *undo, *redo;
    };

    ToolButtons buildWidgets();
    ToolButtons buildToolRow();
    void buildStatusBar();
    void connectSignals(const ToolButtons &tools);
    void addKeys(const ToolButtons &tools);
    QPushButton *makeToolButton(const char *name, ToolPicture picture, const QString &tip,
                                const QString &longText, const QList<QKeySequence> &keys);

    ToolTipRelay *m_relay = nullptr;
    QString m_opened;              // the text the editor was shown with
    QList<QKeySequence> m_ownKeys; // keys of the window that the body must not take
};
