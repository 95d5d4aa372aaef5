#include "topicdialog.h"

#include "appicon.h"

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
    setModal(modal);
    setObjectName(QLatin1String(name ? name : "SmeltworkTopicDialog"));
    resize(240, 100);
    setWindowTitle(tr("SmeltworkAdmin"));
    setWindowIcon(applicationIcon());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    buildWidgets();
    connectSignals();
    IDEdit->setFocus();
}

void SmeltworkTopicDialog::buildWidgets()
{
    TopicDialogLayout = new QVBoxLayout(this);
    TopicDialogLayout->setContentsMargins(6, 6, 6, 6);
    TopicDialogLayout->setSpacing(4);

    MainFrame = new QFrame(this);
    MainFrame->setObjectName(QStringLiteral("MainFrame"));
    MainFrame->setFrameShape(QFrame::Box);
    MainFrame->setFrameShadow(QFrame::Sunken);
    MainFrameLayout = new QVBoxLayout(MainFrame);
    MainFrameLayout->setContentsMargins(6, 6, 6, 6);
    MainFrameLayout->setSpacing(4);

    FieldLayout = new QGridLayout;
    FieldLayout->setSpacing(6);
    FieldLayout->setContentsMargins(0, 0, 0, 0);

    HeaderLabel = new QLabel(tr("Header"), MainFrame);
    HeaderLabel->setObjectName(QStringLiteral("HeaderLabel"));
    FieldLayout->addWidget(HeaderLabel, 1, 0);

    HeaderEdit = new QLineEdit(MainFrame);
    HeaderEdit->setObjectName(QStringLiteral("HeaderEdit"));
    FieldLayout->addWidget(HeaderEdit, 1, 1);

    IDLabel = new QLabel(tr("ID"), MainFrame);
    IDLabel->setObjectName(QStringLiteral("IDLabel"));
    FieldLayout->addWidget(IDLabel, 0, 0);

    IDEdit = new QLineEdit(MainFrame);
    IDEdit->setObjectName(QStringLiteral("IDEdit"));
    IDEdit->setText(tr("HLP_"));
    FieldLayout->addWidget(IDEdit, 0, 1);

    MainFrameLayout->addLayout(FieldLayout);

    ButtonLayout = new QHBoxLayout;
    ButtonLayout->setSpacing(6);
    ButtonLayout->setContentsMargins(0, 0, 0, 0);
    ButtonLayout->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    OkBtn = new QPushButton(tr("&Ok"), MainFrame);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    ButtonLayout->addWidget(OkBtn);
    CancelBtn = new QPushButton(tr("&Cancel"), MainFrame);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    ButtonLayout->addWidget(CancelBtn);
    ButtonLayout->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    // Neither button answers Return: without this the dialog would promote Ok to default
    // when it is shown.
    for (QPushButton *button : {OkBtn, CancelBtn}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    MainFrameLayout->addLayout(ButtonLayout);

    TopicDialogLayout->addWidget(MainFrame);
    // Created after the header field, but first in the dialog and first to be typed in. Set
    // once every widget exists: a widget created later would go in between.
    setTabOrder(IDEdit, HeaderEdit);
}

void SmeltworkTopicDialog::connectSignals()
{
    connect(OkBtn, &QPushButton::clicked, this, &SmeltworkTopicDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &SmeltworkTopicDialog::reject);
}
