#pragma once

#include <QComboBox>
#include <QStringList>

// The group and process boxes: lists of names that can hold 65,535 entries. The box is as
// wide as the window lets it be; its list drops below it, shows 20 rows, and is as wide as
// its widest name where the screen has room. A name cut in the box or its list shows whole
// as a tool tip.
class NameCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit NameCombo(QWidget *parent);

    // Replaces every entry at once; the first, if any, becomes the current one.
    void setEntries(const QStringList &entries);

    void showPopup() override;

protected:
    bool event(QEvent *event) override;

private:
    int m_widest = -1; // the widest entry in pixels, measured when the list first opens
};
