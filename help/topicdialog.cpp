#include "topicdialog.h"

#include "appicon.h"
#include "dialogkit.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SmeltworkTopicDialog::SmeltworkTopicDialog(QWidget *parent, const char *name, bool modal,
                                           Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setUpDialog(this, modal, name, "SmeltworkTopicDialog", 240, 100, tr("SmeltworkAdmin"));
    setWindowIcon(applicationIcon());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    buildWidgets();
    connectSignals();
    IDEdit->setFocus();
}

void SmeltworkTopicDialog::buildWidgets()
{
    TopicDialogLayout = makeLayout<QVBoxLayout>(4, 6, this);
    MainFrame = makeMainFrame(this);
    MainFrameLayout = makeLayout<QVBoxLayout>(4, 6, MainFrame);
    FieldLayout = makeLayout<QGridLayout>(6, 0);

    // Created in the order they are typed in, which is the order Tab follows.
    IDLabel = makeLabel(MainFrame, "IDLabel", tr("ID"));
    FieldLayout->addWidget(IDLabel, 0, 0);
    IDEdit = makeNamed<QLineEdit>(MainFrame, "IDEdit");
    IDEdit->setText(tr("HLP_"));
    FieldLayout->addWidget(IDEdit, 0, 1);
    HeaderLabel = makeLabel(MainFrame, "HeaderLabel", tr("Header"));
    FieldLayout->addWidget(HeaderLabel, 1, 0);
    HeaderEdit = makeNamed<QLineEdit>(MainFrame, "HeaderEdit");
    FieldLayout->addWidget(HeaderEdit, 1, 1);

    MainFrameLayout->addLayout(FieldLayout);

    ButtonLayout = makeLayout<QHBoxLayout>(6, 0);
    ButtonLayout->addItem(makeExpandingSpacer());
    OkBtn = makeButton(MainFrame, "OkBtn", tr("&Ok"));
    ButtonLayout->addWidget(OkBtn);
    CancelBtn = makeButton(MainFrame, "CancelBtn", tr("&Cancel"));
    ButtonLayout->addWidget(CancelBtn);
    ButtonLayout->addItem(makeExpandingSpacer());
    // Neither button answers Return: without this the dialog would promote Ok to default
    // when it is shown.
    for (QPushButton *button : {OkBtn, CancelBtn}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    MainFrameLayout->addLayout(ButtonLayout);

    TopicDialogLayout->addWidget(MainFrame);
}

void SmeltworkTopicDialog::connectSignals()
{
    connect(OkBtn, &QPushButton::clicked, this, &SmeltworkTopicDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &SmeltworkTopicDialog::reject);
}
