#include "editingsupport.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

Session::Session(const CraftingData &data)
{
    writeDataFile(data);
    window = std::make_unique<AdminWindow>();
    window->show();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("the administration window did not become active");
}

QByteArray dataFileBytes(const CraftingData &data)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeCraftingData(buffer, data);
    return bytes;
}

void writeDataFile(const CraftingData &data)
{
    QFile file(craftingFilePath());
    file.open(QIODevice::WriteOnly);
    file.write(dataFileBytes(data));
}

Req item(const char *name, const char *multiplier, qint32 id)
{
    return Req{QString::fromUtf8(name), QString::fromUtf8(multiplier), 0, id};
}

Req skill(const char *name, const char *multiplier, qint8 type, qint32 id)
{
    return Req{QString::fromUtf8(name), QString::fromUtf8(multiplier), type, id};
}

Proc proc(const char *name, int maxQL, int minQL, const QList<Req> &reqs)
{
    return Proc{QString::fromUtf8(name), quint8(maxQL), quint8(minQL), reqs};
}

ProcGroup group(const char *name, const QList<Proc> &procs)
{
    return ProcGroup{QString::fromUtf8(name), procs};
}

void choose(QComboBox *combo, int index)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

void pressAction(SmeltworkAdminDialogBase &window, int action, int kind)
{
    choose(window.ActionList, action);
    choose(window.TypeList, kind);
    QTest::mouseClick(window.ActionBtn, Qt::LeftButton);
}

QTreeWidgetItem *clickRow(SmeltworkAdminDialogBase &window, QTreeWidget *list, const QString &name)
{
    const Qt::Key tabKey = list == window.SkillsList ? Qt::Key_K : Qt::Key_I;
    // Shortcuts reach only the active window; without a window manager (offscreen) nothing
    // hands the activation back when a dialog closes, so ask for it as one would.
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        return nullptr;
    QTest::keyClick(&window, tabKey, Qt::AltModifier);
    const QList<QTreeWidgetItem *> found = list->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return nullptr;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found.first()).center());
    return list->currentItem();
}

QStringList rows(const QTreeWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = list->topLevelItem(i);
        out.append(QStringList{row->text(0), row->text(1), row->text(2), row->text(3)}.join(
            QLatin1Char('|')));
    }
    return out;
}

QStringList entries(const QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out.append(combo->itemText(i));
    return out;
}

QStringList modalsOpenedBy(const std::function<void()> &act)
{
    QStringList opened;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&opened] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        QString shown = QLatin1String(modal->metaObject()->className());
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            shown += QLatin1String(": ") + box->text();
        opened.append(shown);
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    });
    closer.start();
    act();
    return opened;
}

void typeOver(QWidget *field, const QString &text)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
}
