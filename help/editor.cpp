#include "help/editor.h"

#include "dialogs/dialogkit.h"
#include "help/tooltiprelay.h"
#include "platform/lockkeys.h"
#include "resources/appicon.h"
#include "resources/toolpixmaps.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

SmeltworkEditor::SmeltworkEditor(QWidget *parent, const char *name, bool modal, Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setUpDialog(this, modal, name, "SmeltworkEditor", 500, 400, tr("SmeltworkAdmin"));
    setWindowIcon(applicationIcon());

    const ToolButtons tools = buildWidgets();
    connectSignals(tools);
    BodyEdit->setFocus();
    BodyEdit->setCursorPosition(0, 0);
}

SmeltworkEditor::ToolButtons SmeltworkEditor::buildWidgets()
{
    EditorLayout = makeLayout<QVBoxLayout>(0, 0, this);
    ToolRowLayout = makeLayout<QHBoxLayout>(1, 4);
    StatusBar = makeNamed<QStatusBar>(this, "StatusBar");

    m_relay = new ToolTipRelay(this, "ToolTipRelay");
    const ToolButtons tools = buildToolRow();
    EditorLayout->addLayout(ToolRowLayout);

    BodyEdit = new SmeltworkTagEdit(this, "BodyEdit");
    BodyEdit->setContentsMargins(2, 2, 2, 2);
    BodyEdit->document()->setDocumentMargin(2);
    EditorLayout->addWidget(BodyEdit);

    buildStatusBar();
    return tools;
}

QPushButton *SmeltworkEditor::makeToolButton(const char *name, ToolPicture picture,
                                             const QString &tip, const QString &longText)
{
    auto *button = makeNamed<QPushButton>(this, name);
    const QPixmap pixmap = toolPixmap(picture);
    button->setIcon(pixmap);
    button->setIconSize(pixmap.size());
    button->setAutoDefault(false);
    button->setDefault(false);
    // Clicking a tool leaves the focus, and the marked text, in the body.
    button->setFocusPolicy(Qt::TabFocus);
    m_relay->add(button, tip, longText);
    ToolRowLayout->addWidget(button, 0);
    return button;
}

SmeltworkEditor::ToolButtons SmeltworkEditor::buildToolRow()
{
    CloseBtn = makeToolButton("CloseBtn", ToolPicture::Close, tr("Close"),
                              tr("Exit editor without saving changes"));
    ToolRowLayout->addSpacing(6);
    SaveBtn = makeToolButton("SaveBtn", ToolPicture::Save, tr("Save"),
                             tr("Exit editor and save changes"));
    ToolRowLayout->addSpacing(6);
    QPushButton *bold = makeToolButton("BoldBtn", ToolPicture::Bold, tr("Bold"),
                                       tr("Insert 'bold' tags around marked text or at cursor"));
    QPushButton *underline =
        makeToolButton("ULineBtn", ToolPicture::Underline, tr("Underlined"),
                       tr("Insert 'underlined' tags around marked text or at cursor"));
    QPushButton *italic =
        makeToolButton("ItalicBtn", ToolPicture::Italic, tr("Italic"),
                       tr("Insert 'italic' tags around marked text or at cursor"));
    ToolRowLayout->addSpacing(6);
    QPushButton *undo = makeToolButton("UndoBtn", ToolPicture::Undo, tr("Undo"),
                                       tr("Undo the last change you did"));
    QPushButton *redo =
        makeToolButton("RedoBtn", ToolPicture::Redo, tr("Redo"), tr("Redo the last undo you did"));
    ToolRowLayout->addStretch();
    return {bold, underline, italic, undo, redo};
}

void SmeltworkEditor::buildStatusBar()
{
    NumLockInd = makeLabel(StatusBar, "NumLockInd", tr("Num"));
    NumLockInd->setEnabled(isNumLockOn());
    StatusBar->addPermanentWidget(NumLockInd, 0);

    CapsLockInd = makeLabel(StatusBar, "CapsLockInd", tr("Caps"));
    CapsLockInd->setEnabled(isCapsLockOn());
    StatusBar->addPermanentWidget(CapsLockInd, 0);

    EditorLayout->addWidget(StatusBar);
    StatusBar->showMessage(tr("Ready."));
}

void SmeltworkEditor::connectSignals(const ToolButtons &tools)
{
    using Self = SmeltworkEditor;
    connect(CloseBtn, &QPushButton::clicked, this, &Self::reject);
    connect(SaveBtn, &QPushButton::clicked, this, &Self::accept);
    connect(tools.bold, &QPushButton::clicked, this, &Self::toggleBold);
    connect(tools.underline, &QPushButton::clicked, this, &Self::toggleUline);
    connect(tools.italic, &QPushButton::clicked, this, &Self::toggleItalic);
    connect(tools.undo, &QPushButton::clicked, BodyEdit, &SmeltworkTagEdit::undo);
    connect(tools.redo, &QPushButton::clicked, BodyEdit, &SmeltworkTagEdit::redo);
    connect(BodyEdit, &SmeltworkTagEdit::returnPressed, this, &Self::addBR);
    connect(m_relay, &ToolTipRelay::showTip, StatusBar,
            [this](const QString &text) { StatusBar->showMessage(text); });
    connect(m_relay, &ToolTipRelay::removeTip, StatusBar, &QStatusBar::clearMessage);
}

void SmeltworkEditor::keyReleaseEvent(QKeyEvent *event)
{
    // The body and the buttons leave these releases unhandled, so they arrive here; the key
    // is up by now, so what the window system reports is the lock's new state.
    switch (event->key()) {
    case Qt::Key_CapsLock:
        CapsLockInd->setEnabled(isCapsLockOn());
        event->accept();
        break;
    case Qt::Key_NumLock:
        NumLockInd->setEnabled(isNumLockOn());
        event->accept();
        break;
    default:
        event->ignore();
        break;
    }
}

void SmeltworkEditor::addBR()
{
    int line, col;
    BodyEdit->getCursorPosition(&line, &col);
    if (line < 1)
        return;
    // The end of the line that the Return ended, which is where it was broken.
    BodyEdit->insertAt(QStringLiteral("<br>"), line - 1, int(BodyEdit->textLine(line - 1).size()));
}

void SmeltworkEditor::toggleBold()
{
    BodyEdit->insertTags(QStringLiteral("<b>"), QStringLiteral("</b>"));
}

void SmeltworkEditor::toggleUline()
{
    BodyEdit->insertTags(QStringLiteral("<u>"), QStringLiteral("</u>"));
}

void SmeltworkEditor::toggleItalic()
{
    BodyEdit->insertTags(QStringLiteral("<i>"), QStringLiteral("</i>"));
}

void SmeltworkEditor::saveBody()
{
    qWarning("SmeltworkEditor::saveBody(): Not implemented yet!");
}

void SmeltworkEditor::topicSelected(int)
{
    qWarning("SmeltworkEditor::topicSelected(int): Not implemented yet!");
}
