#include "dialogs/messagebox.h"

#include <QHash>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace {

SmeltworkMessageBox::Script script;

constexpr char MustAnswer[] = "smeltworkMustAnswer";

using Button = SmeltworkMessageBox::Button;

// The buttons in the order they are offered.
constexpr Button AllButtons[] = {SmeltworkMessageBox::Retry,      SmeltworkMessageBox::SaveAs,
                                 SmeltworkMessageBox::Discard,    SmeltworkMessageBox::DiscardText,
                                 SmeltworkMessageBox::LoadTheirs, SmeltworkMessageBox::KeepMine,
                                 SmeltworkMessageBox::Yes,        SmeltworkMessageBox::No,
                                 SmeltworkMessageBox::Ok,         SmeltworkMessageBox::KeepEditing};

// What Escape or the title bar's close button answers.
Button escapeAnswer(SmeltworkMessageBox::Buttons buttons)
{
    if (buttons & SmeltworkMessageBox::KeepEditing)
        return SmeltworkMessageBox::KeepEditing;
    if (buttons & SmeltworkMessageBox::No)
        return SmeltworkMessageBox::No;
    Button last = SmeltworkMessageBox::NoButton;
    for (Button button : AllButtons) {
        if (buttons & button)
            last = button;
    }
    return last;
}

QAbstractButton *addButton(QMessageBox &box, Button button)
{
    switch (button) {
    case SmeltworkMessageBox::Ok:
        return box.addButton(QMessageBox::Ok);
    case SmeltworkMessageBox::Yes:
        return box.addButton(QMessageBox::Yes);
    case SmeltworkMessageBox::No:
        return box.addButton(QMessageBox::No);
    case SmeltworkMessageBox::Retry:
        return box.addButton(SmeltworkMessageBox::tr("&Retry"), QMessageBox::AcceptRole);
    case SmeltworkMessageBox::SaveAs:
        return box.addButton(SmeltworkMessageBox::tr("Save &As..."), QMessageBox::ActionRole);
    case SmeltworkMessageBox::Discard:
        return box.addButton(SmeltworkMessageBox::tr("&Discard changes"),
                             QMessageBox::DestructiveRole);
    case SmeltworkMessageBox::LoadTheirs:
        return box.addButton(SmeltworkMessageBox::tr("&Load theirs"), QMessageBox::AcceptRole);
    case SmeltworkMessageBox::KeepMine:
        return box.addButton(SmeltworkMessageBox::tr("&Keep mine"), QMessageBox::RejectRole);
    case SmeltworkMessageBox::DiscardText:
        return box.addButton(SmeltworkMessageBox::tr("&Discard"), QMessageBox::DestructiveRole);
    case SmeltworkMessageBox::KeepEditing:
        return box.addButton(SmeltworkMessageBox::tr("&Keep editing"), QMessageBox::RejectRole);
    case SmeltworkMessageBox::NoButton:
        break;
    }
    return nullptr;
}

QMessageBox::Icon iconOf(SmeltworkMessageBox::Icon icon)
{
    switch (icon) {
    case SmeltworkMessageBox::Question:
        return QMessageBox::Question;
    case SmeltworkMessageBox::Information:
        return QMessageBox::Information;
    case SmeltworkMessageBox::Warning:
        break;
    }
    return QMessageBox::Warning;
}

} // namespace

SmeltworkMessageBox::Button SmeltworkMessageBox::warning(QWidget *parent, const QString &text,
                                                         Buttons buttons, Button defaultButton,
                                                         const QString &informative)
{
    return show(parent, {Warning, text, informative, buttons, NoButton}, defaultButton);
}

SmeltworkMessageBox::Button SmeltworkMessageBox::question(QWidget *parent, const QString &text,
                                                          Buttons buttons, Button defaultButton,
                                                          const QString &informative)
{
    return show(parent, {Question, text, informative, buttons, NoButton}, defaultButton);
}

void SmeltworkMessageBox::information(QWidget *parent, const QString &text,
                                      const QString &informative)
{
    show(parent, {Information, text, informative, Ok, NoButton}, Ok);
}

bool SmeltworkMessageBox::mustAnswer(const QWidget *window)
{
    return window && window->property(MustAnswer).toBool();
}

void SmeltworkMessageBox::setScript(const Script &newScript)
{
    script = newScript;
}

SmeltworkMessageBox::Button SmeltworkMessageBox::show(QWidget *parent, const Shown &box,
                                                      Button defaultButton)
{
    if (script) {
        Shown shown = box;
        shown.answer = escapeAnswer(box.buttons);
        return script(shown);
    }

    // A window not shown yet (its load boxes come first) would put the box in a corner.
    QMessageBox dialog(iconOf(box.icon), tr("SmeltworkAdmin"), box.text, QMessageBox::NoButton,
                       parent && parent->isVisible() ? parent : nullptr);
    dialog.setInformativeText(box.informative);
    dialog.setProperty(MustAnswer, bool(box.buttons & (Discard | DiscardText)));
    QHash<QAbstractButton *, Button> answers;
    for (Button button : AllButtons) {
        if (!(box.buttons & button))
            continue;
        QAbstractButton *made = addButton(dialog, button);
        answers.insert(made, button);
        if (button == defaultButton)
            dialog.setDefaultButton(qobject_cast<QPushButton *>(made));
        if (button == escapeAnswer(box.buttons))
            dialog.setEscapeButton(made);
    }
    dialog.exec();
    return answers.value(dialog.clickedButton(), escapeAnswer(box.buttons));
}
