#pragma once

#include <QCoreApplication>
#include <QFlags>
#include <QList>
#include <QString>
#include <functional>

class QWidget;

// Every warning, question and information box of the program opens here: one place that
// sets the caption ("SmeltworkAdmin") and the buttons, and one place where a test answers
// boxes before they open and reads afterwards what they said.
class SmeltworkMessageBox
{
    Q_DECLARE_TR_FUNCTIONS(SmeltworkMessageBox)

public:
    enum Button {
        NoButton = 0,
        Ok = 0x1,
        Yes = 0x2,
        No = 0x4,
        Retry = 0x8,       // "&Retry"
        SaveAs = 0x10,     // "Save &As..."
        Discard = 0x20,    // "&Discard changes"
        LoadTheirs = 0x40, // "&Load theirs"
        KeepMine = 0x80,   // "&Keep mine"
        // A question about typed text that has not been kept anywhere yet.
        DiscardText = 0x100, // "&Discard"
        KeepEditing = 0x200, // "&Keep editing", also what Escape answers
    };
    Q_DECLARE_FLAGS(Buttons, Button)

    enum Icon { Warning, Question, Information };

    // A box as it was asked for, with the answer it gave.
    struct Shown
    {
        Icon icon = Warning;
        QString text;
        QString informative;
        Buttons buttons;
        Button answer = NoButton;
    };

    // The box's answer is the button pressed; a box closed by Escape or its title bar answers
    // Keep editing or No where it has them, else its only or last button.
    static Button warning(QWidget *parent, const QString &text, Buttons buttons = Ok,
                          Button defaultButton = NoButton, const QString &informative = {});
    static Button question(QWidget *parent, const QString &text,
                           Buttons buttons = Buttons(Yes) | No, Button defaultButton = NoButton,
                           const QString &informative = {});
    static void information(QWidget *parent, const QString &text, const QString &informative = {});

    // Whether `window` is a box that only the user may answer: one that offers to discard
    // changes or typed text, which a request to end the program must neither answer nor close.
    static bool mustAnswer(const QWidget *window);

    // For tests. While a script is set, no box opens: the script is given each box, with the
    // answer Escape would give, and returns the button pressed. An empty one shows real
    // boxes again.
    using Script = std::function<Button(const Shown &box)>;
    static void setScript(const Script &script);

private:
    static Button show(QWidget *parent, const Shown &box, Button defaultButton);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(SmeltworkMessageBox::Buttons)
