#pragma once

#include <QDialog>

class QCheckBox;
class QFrame;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QVBoxLayout;

// The name of a process group, or the name and QL range of a process. The record kind
// picks the form: 1 (process) adds the QL fields and the Special switch, any other kind
// shows the name alone. The caller writes the record into the widgets and reads them
// back after an accepted run.
class SmeltworkProcDialog : public QDialog
{
    Q_OBJECT

public:
    // Record kinds, numbered as the administration window's type list.
    enum Kind { GroupKind = 0, ProcessKind = 1 };

    explicit SmeltworkProcDialog(int kind, QWidget *parent = nullptr, const char *name = nullptr,
                                 bool modal = false, Qt::WindowFlags fl = {});

    QFrame *MainFrame;
    QLabel *NameLabel;
    QLineEdit *NameEdit;
    // Null in the name-only form.
    QLabel *MaxQlLabel = nullptr;
    QSpinBox *MaxQlSpin = nullptr;
    QLabel *MinQlLabel = nullptr;
    QSpinBox *MinQlSpin = nullptr;
    QCheckBox *SpecialBox = nullptr;
    QPushButton *OkBtn;
    QPushButton *CancelBtn;

public Q_SLOTS:
    // A special process is made at one QL only: the minimum QL stands for both, so the
    // maximum is switched off. Only for the process form.
    virtual void setSpecial(bool on);

protected:
    QVBoxLayout *SmeltworkProcDialogLayout;
    QVBoxLayout *MainFrameLayout;
    QHBoxLayout *NameRowLayout;
    QGridLayout *QlGridLayout = nullptr;
    QHBoxLayout *ButtonRowLayout;

private:
    void buildWidgets(bool processForm);
    void buildQlGrid();
    void buildButtonRow();
    void connectSignals();
};
