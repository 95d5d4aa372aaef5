#pragma once

#include <QAbstractButton>
#include <QKeySequence>
#include <QTest>
#include <QWidget>

// Drives a window the way its user would, step by step (steps separated by blanks): 'text
// types the text, "close" is the window's close button, a button is clicked by its object
// name or its text without the '&', anything else is a key such as "Shift+Left". A "*3"
// suffix repeats a click or key. Keys go to the widget that holds the window's focus.
inline void act(QWidget *window, const QString &steps)
{
    for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
        if (!window->isVisible())
            return; // closed by an earlier step: the rest would not reach it
        QWidget *focus = window->focusWidget() ? window->focusWidget() : window;
        if (step.startsWith(u'\'')) {
            QTest::keyClicks(focus, step.mid(1));
            continue;
        }
        if (step == u"close") {
            window->close();
            continue;
        }
        const QString name = step.section(u'*', 0, 0);
        const int times = step.contains(u'*') ? step.section(u'*', 1).toInt() : 1;
        QAbstractButton *button = nullptr;
        for (QAbstractButton *candidate : window->findChildren<QAbstractButton *>()) {
            if (candidate->objectName() == name || candidate->text().remove(u'&') == name)
                button = candidate;
        }
        const QKeyCombination key = QKeySequence(name)[0];
        if (!button && (key.toCombined() == 0 || key.key() == Qt::Key_unknown))
            qFatal("act: no button or key \"%s\"", qPrintable(name));
        for (int i = 0; i < times; ++i) {
            if (button)
                QTest::mouseClick(button, Qt::LeftButton);
            else
                QTest::keyClick(focus, key.key(), key.keyboardModifiers());
        }
    }
}
