#include "help/editor.h"

#include "dialogs/dialogkit.h"
#include "dialogs/messagebox.h"
#include "help/tooltiprelay.h"
#include "platform/lockkeys.h"
#include "resources/appicon.h"
#include "resources/toolpixmaps.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

SmeltworkEditor::SmeltworkEditor(QWidget *parent, const char *name, bool modal, Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setUpDialog(this, modal, name, "SmeltworkEditor", 500, 400, tr("SmeltworkAdmin"));
    setWindowIcon(applicationIcon());

    const ToolButtons tools = buildWidgets();
    connectSignals(tools);
    addKeys(tools);
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
    BodyEdit->setFrameMargin(2);
    BodyEdit->document()->setDocumentMargin(2);
    EditorLayout->addWidget(BodyEdit);

    buildStatusBar();
    return tools;
}

QPushButton *SmeltworkEditor::makeToolButton(const char *name, ToolPicture picture,
                                             const QString &tip, const QString &longText,
                                             const QList<QKeySequence> &keys)
{
    auto *button = makeNamed<QPushButton>(this, name);
    const QPixmap pixmap = toolPixmap(picture);
    button->setIcon(pixmap);
    button->setIconSize(pixmap.size());
    button->setAutoDefault(false);
    button->setDefault(false);
    // Clicking a tool leaves the focus, and the marked text, in the body.
    button->setFocusPolicy(Qt::TabFocus);
    m_relay->add(button,
                 tip + QStringLiteral(" (%1)").arg(
                           QKeySequence::listToString(keys, QKeySequence::NativeText)),
                 longText);
    ToolRowLayout->addWidget(button, 0);
    return button;
}

SmeltworkEditor::ToolButtons SmeltworkEditor::buildToolRow()
{
    // Each tip names the button's key: Escape, the four of the window (addKeys()) and the
    // body's own (first) keys for undo and redo.
    const auto keys = [](QKeyCombination key) { return QList<QKeySequence>{key}; };
    CloseBtn = makeToolButton("CloseBtn", ToolPicture::Close, tr("Close"),
                              tr("Exit editor without saving changes"), keys(Qt::Key_Escape));
    ToolRowLayout->addSpacing(6);
    SaveBtn = makeToolButton("SaveBtn", ToolPicture::Save, tr("Save"),
                             tr("Exit editor and save changes"), keys(Qt::CTRL | Qt::Key_S));
    ToolRowLayout->addSpacing(6);
    QPushButton *bold = makeToolButton("BoldBtn", ToolPicture::Bold, tr("Bold"),
                                       tr("Insert 'bold' tags around marked text or at cursor"),
                                       keys(Qt::CTRL | Qt::Key_B));
    QPushButton *underline = makeToolButton(
        "ULineBtn", ToolPicture::Underline, tr("Underlined"),
        tr("Insert 'underlined' tags around marked text or at cursor"), keys(Qt::CTRL | Qt::Key_U));
    QPushButton *italic = makeToolButton("ItalicBtn", ToolPicture::Italic, tr("Italic"),
                                         tr("Insert 'italic' tags around marked text or at cursor"),
                                         keys(Qt::CTRL | Qt::Key_I));
    ToolRowLayout->addSpacing(6);
    QPushButton *undo =
        makeToolButton("UndoBtn", ToolPicture::Undo, tr("Undo"), tr("Undo the last change you did"),
                       {QKeySequence(QKeySequence::Undo)});
    QPushButton *redo =
        makeToolButton("RedoBtn", ToolPicture::Redo, tr("Redo"), tr("Redo the last undo you did"),
                       {QKeySequence(QKeySequence::Redo)});
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

void SmeltworkEditor::addKeys(const ToolButtons &tools)
{
    // Each key clicks its button, so that it does what the button does.
    const std::pair<QKeyCombination, QPushButton *> keys[] = {
        {Qt::CTRL | Qt::Key_S, SaveBtn},
        {Qt::CTRL | Qt::Key_B, tools.bold},
        {Qt::CTRL | Qt::Key_U, tools.underline},
        {Qt::CTRL | Qt::Key_I, tools.italic}};
    for (const auto &[key, button] : keys) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
        m_ownKeys.append(QKeySequence(key));
    }
    // The body would take Ctrl+U for itself: it deletes the line on some desktops.
    BodyEdit->installEventFilter(this);
}

bool SmeltworkEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == BodyEdit && event->type() == QEvent::ShortcutOverride &&
        m_ownKeys.contains(QKeySequence(static_cast<QKeyEvent *>(event)->keyCombination()))) {
        event->ignore();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void SmeltworkEditor::showEvent(QShowEvent *event)
{
    // Not when the window system shows it again, after it was minimised, say.
    if (!event->spontaneous())
        m_opened = BodyEdit->text();
    QDialog::showEvent(event);
}

void SmeltworkEditor::reject()
{
    // Only the user gives up what they typed. Text typed and then undone is no change.
    if (isVisible() && BodyEdit->text() != m_opened &&
        SmeltworkMessageBox::question(
            this, tr("Discard the changes to this body?"),
            SmeltworkMessageBox::DiscardText | SmeltworkMessageBox::KeepEditing,
            SmeltworkMessageBox::KeepEditing) != SmeltworkMessageBox::DiscardText)
        return;
    QDialog::reject();
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
