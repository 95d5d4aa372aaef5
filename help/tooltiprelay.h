#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

class QWidget;

// Gives buttons a short tool tip and a longer text for a status bar: showTip() carries the
// long text when a button's tip comes up, removeTip() follows when the tip goes, whether it
// timed out, was clicked away or the pointer left.
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
    void checkTipShown();

    QHash<QObject *, QString> m_longTexts;
    // Qt tells nobody when a tool tip hides, so while one is up it is looked at now and then.
    QTimer m_tipWatch;
};
