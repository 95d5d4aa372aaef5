#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QWidget;

// Gives buttons a short tool tip and a longer text for a status bar: showTip() carries the
// long text while the pointer rests on a button, removeTip() follows when it leaves.
class ToolTipRelay : public QObject
{
    Q_OBJECT

public:
    explicit ToolTipRelay(QObject *parent = nullptr, const char *name = nullptr);

    void add(QWidget *widget, const QString &tip, const QString &longText);

Q_SIGNALS:
    void showTip(const QString &longText);
    void removeTip();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QHash<QObject *, QString> m_longTexts;
};
