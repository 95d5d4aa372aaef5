#include "dialogs/reqdialog.h"

#include "dialogs/dialogkit.h"
#include "resources/appicon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton *makeAutoDefaultButton(QWidget *parent, const char *name, const QString &text)
{
    QPushButton *button = makeButton(parent, name, text);
    button->setAutoDefault(true);
    return button;
}

} // namespace

SmeltworkReqDialog::SmeltworkReqDialog(QWidget *parent, const char *name, bool modal,
                                       Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setUpDialog(this, modal, name, "SmeltworkReqDialog", 240, 130, tr("SmeltworkAdmin"));
    setWindowIcon(applicationIcon());

    buildWidgets();
    connectSignals();
    setBuddies();
    NameEdit->setFocus();
}

void SmeltworkReqDialog::buildWidgets()
{
    SmeltworkReqDialogLayout = makeLayout<QVBoxLayout>(4, 6, this);
    MainFrame = makeMainFrame(this);
    MainFrameLayout = makeLayout<QGridLayout>(4, 6, MainFrame);

    // Created row by row, which is also the tab order.
    NameLabel = makeLabel(MainFrame, "NameLabel", tr("&Name"));
    NameEdit = makeLineEdit(MainFrame, "NameEdit");
    MultiLabel = makeLabel(MainFrame, "MultiLabel", tr("&Multiplier"));
    MultiEdit = makeLineEdit(MainFrame, "MultiEdit");
    FixedBox = makeNamed<QCheckBox>(MainFrame, "FixedBox");
    FixedBox->setText(tr("&Fixed"));
    FixedBox->setChecked(false);
    // The item database's site; the accelerator is its first letter.
    ZorvexLabel = makeLabel(MainFrame, "ZorvexLabel", tr("&zorvex.example ID"));
    ZorvexEdit = makeLineEdit(MainFrame, "ZorvexEdit");
    ZorvexEdit->setText(QStringLiteral("0"));
    ParentLabel = makeLabel(MainFrame, "ParentLabel", tr("&Parent"));
    ParentList = makeNamed<QComboBox>(MainFrame, "ParentList");
    ParentList->setEditable(false);
    ParentList->addItem(tr("Main Item"));
    ParentList->setCurrentIndex(0);

    MainFrameLayout->addWidget(NameLabel, 0, 0);
    MainFrameLayout->addWidget(NameEdit, 0, 1, 1, 2);
    MainFrameLayout->addWidget(MultiLabel, 1, 0);
    MainFrameLayout->addWidget(MultiEdit, 1, 1);
    MainFrameLayout->addWidget(FixedBox, 1, 2);
    MainFrameLayout->addWidget(ZorvexLabel, 2, 0);
    MainFrameLayout->addWidget(ZorvexEdit, 2, 1, 1, 2);
    MainFrameLayout->addWidget(ParentLabel, 3, 0);
    MainFrameLayout->addWidget(ParentList, 3, 1, 1, 2);
    buildButtonRow();

    SmeltworkReqDialogLayout->addWidget(MainFrame);
}

void SmeltworkReqDialog::buildButtonRow()
{
    ButtonRowLayout = makeLayout<QHBoxLayout>(6, 0);
    OkBtn = makeAutoDefaultButton(MainFrame, "OkBtn", tr("&OK"));
    OkBtn->setDefault(true);
    CancelBtn = makeAutoDefaultButton(MainFrame, "CancelBtn", tr("&Cancel"));
    ButtonRowLayout->addWidget(OkBtn);
    ButtonRowLayout->addWidget(CancelBtn);
    MainFrameLayout->addLayout(ButtonRowLayout, 4, 0, 1, 3);
}

void SmeltworkReqDialog::connectSignals()
{
    connect(FixedBox, &QCheckBox::toggled, this, &SmeltworkReqDialog::setFixed);
    connect(OkBtn, &QPushButton::clicked, this, &SmeltworkReqDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &SmeltworkReqDialog::reject);
}

void SmeltworkReqDialog::setBuddies()
{
    NameLabel->setBuddy(NameEdit);
    MultiLabel->setBuddy(MultiEdit);
    ZorvexLabel->setBuddy(ZorvexEdit);
    ParentLabel->setBuddy(ParentList);
}

void SmeltworkReqDialog::setFixed(bool on)
{
    MultiEdit->setEnabled(!on);
    // A direct call checks the box, whose signal comes back here once with the same value;
    // then the states match and the box stays quiet.
    FixedBox->setChecked(on);
}
