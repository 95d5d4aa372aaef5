#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// One requirement of a process, an item/tool or a skill: its name, its multiplier (or
// Fixed) and, for items/tools, its number in the item database. For skills the caller
// switches the ID field off. The caller writes the record into the widgets and reads them
// back after an accepted run.
class SmeltworkReqDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SmeltworkReqDialog(QWidget *parent = nullptr, const char *name = nullptr,
                                bool modal = false, Qt::WindowFlags fl = {});

    QFrame *MainFrame;
    QLabel *MultiLabel;
    QLabel *NameLabel;
    QLabel *ZorvexLabel;
    QLabel *ParentLabel;
    QLineEdit *MultiEdit;
    QLineEdit *NameEdit;
    QLineEdit *ZorvexEdit;
    QCheckBox *FixedBox;
    QComboBox *ParentList;
    QPushButton *OkBtn;
    QPushButton *CancelBtn;

public Q_SLOTS:
    // A fixed requirement is needed once whatever the amount made, so its multiplier is
    // switched off; the typed text stays for when Fixed is switched off again.
    virtual void setFixed(bool on);

protected:
    QVBoxLayout *SmeltworkReqDialogLayout;
    QGridLayout *MainFrameLayout;
    QHBoxLayout *ButtonRowLayout;

private:
    void buildWidgets();
    void buildButtonRow();
    void connectSignals();
    void setBuddies();
};
