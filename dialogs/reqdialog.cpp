#include "reqdialog.h"

#include "appicon.h"

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

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setText(text);
    return label;
}

// Free text: the multiplier is kept as typed and the ID is converted by the caller.
QLineEdit *makeEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setAutoDefault(true);
    return button;
}

} // namespace

SmeltworkReqDialog::SmeltworkReqDialog(QWidget *parent, const char *name, bool modal,
                                       Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setModal(modal);
    setObjectName(QLatin1String(name ? name : "SmeltworkReqDialog"));
    resize(240, 130);
    setWindowTitle(tr("SmeltworkAdmin"));
    setWindowIcon(applicationIcon());

    buildWidgets();
    connectSignals();
    setBuddies();
    NameEdit->setFocus();
}

void SmeltworkReqDialog::buildWidgets()
{
    SmeltworkReqDialogLayout = new QVBoxLayout(this);
    SmeltworkReqDialogLayout->setContentsMargins(6, 6, 6, 6);
    SmeltworkReqDialogLayout->setSpacing(4);

    MainFrame = new QFrame(this);
    MainFrame->setObjectName(QStringLiteral("MainFrame"));
    MainFrame->setFrameShape(QFrame::Box);
    MainFrame->setFrameShadow(QFrame::Sunken);
    MainFrameLayout = new QGridLayout(MainFrame);
    MainFrameLayout->setContentsMargins(6, 6, 6, 6);
    MainFrameLayout->setSpacing(4);

    // Created row by row, which is also the tab order.
    NameLabel = makeLabel(MainFrame, "NameLabel", tr("&Name"));
    NameEdit = makeEdit(MainFrame, "NameEdit");
    MultiLabel = makeLabel(MainFrame, "MultiLabel", tr("&Multiplier"));
    MultiEdit = makeEdit(MainFrame, "MultiEdit");
    FixedBox = new QCheckBox(MainFrame);
    FixedBox->setObjectName(QStringLiteral("FixedBox"));
    FixedBox->setText(tr("&Fixed"));
    FixedBox->setChecked(false);
    // The item database's site; the accelerator is its first letter.
    ZorvexLabel = makeLabel(MainFrame, "ZorvexLabel", tr("&zorvex-items.example ID"));
    ZorvexEdit = makeEdit(MainFrame, "ZorvexEdit");
    ZorvexEdit->setText(QStringLiteral("0"));
    ParentLabel = makeLabel(MainFrame, "ParentLabel", tr("&Parent"));
    ParentList = new QComboBox(MainFrame);
    ParentList->setObjectName(QStringLiteral("ParentList"));
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
    ButtonRowLayout = new QHBoxLayout;
    ButtonRowLayout->setSpacing(6);
    ButtonRowLayout->setContentsMargins(0, 0, 0, 0);
    OkBtn = makeButton(MainFrame, "OkBtn", tr("&OK"));
    OkBtn->setDefault(true);
    CancelBtn = makeButton(MainFrame, "CancelBtn", tr("&Cancel"));
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
