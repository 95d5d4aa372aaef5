#pragma once

#include <QDialog>

class QFrame;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// The id and header of one help topic. The caller fills the two line edits, runs the
// dialog and reads them back when it was accepted; the dialog itself holds no topic.
class SmeltworkTopicDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SmeltworkTopicDialog(QWidget *parent = nullptr, const char *name = nullptr,
                                  bool modal = false, Qt::WindowFlags fl = {});

    QFrame *MainFrame;
    QLabel *HeaderLabel;
    QLineEdit *HeaderEdit;
    QLabel *IDLabel;
    QLineEdit *IDEdit;
    QPushButton *OkBtn;
    QPushButton *CancelBtn;

protected:
    void showEvent(QShowEvent *event) override;

    QVBoxLayout *TopicDialogLayout;
    QVBoxLayout *MainFrameLayout;
    QGridLayout *FieldLayout;
    QHBoxLayout *ButtonLayout;

private:
    void buildWidgets();
    void connectSignals();
};
