#pragma once

#include "help/tagedit.h"

#include <QDialog>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QStatusBar;
class QVBoxLayout;
class ToolTipRelay;
enum class ToolPicture;

// The editor of one help topic's body: plain text with HTML-like tags, which the tool
// buttons insert and every Return ends with "<br>". The caller puts the body into BodyEdit,
// runs the dialog and takes the text back when it was left with Save.
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

protected:
    QVBoxLayout *EditorLayout;
    QHBoxLayout *ToolRowLayout;

    void keyReleaseEvent(QKeyEvent *event) override;

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
    QPushButton *makeToolButton(const char *name, ToolPicture picture, const QString &tip,
                                const QString &longText);

    ToolTipRelay *m_relay = nullptr;
};
