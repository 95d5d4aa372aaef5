#include "procdialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The spin boxes offer the game's QLs; the records keep them in one byte each, which the
// caller deals with when it stores them.
constexpr int LowestQl = 1;
constexpr int HighestQl = 300;

QSpinBox *makeQlSpin(QWidget *parent, const char *name, int value)
{
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(LowestQl, HighestQl);
    spin->setSingleStep(1);
    spin->setValue(value);
    return spin;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setText(text);
    return label;
}

QSpacerItem *makeSpacer()
{
    return new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
}

} // namespace

SmeltworkProcDialog::SmeltworkProcDialog(int kind, QWidget *parent, const char *name, bool modal,
                                         Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setModal(modal);
    setObjectName(QLatin1String(name ? name : "SmeltworkProcDialog"));
    resize(240, 80);
    setWindowTitle(tr("SmeltworkAdmin"));

    buildWidgets(kind == ProcessKind);
    connectSignals();
    NameEdit->setFocus();
}

void SmeltworkProcDialog::buildWidgets(bool processForm)
{
    SmeltworkProcDialogLayout = new QVBoxLayout(this);
    SmeltworkProcDialogLayout->setContentsMargins(6, 6, 6, 6);
    SmeltworkProcDialogLayout->setSpacing(4);

    MainFrame = new QFrame(this);
    MainFrame->setObjectName(QStringLiteral("MainFrame"));
    MainFrame->setFrameShape(QFrame::Box);
    MainFrame->setFrameShadow(QFrame::Sunken);
    MainFrameLayout = new QVBoxLayout(MainFrame);
    MainFrameLayout->setContentsMargins(6, 6, 6, 6);
    MainFrameLayout->setSpacing(4);

    NameRowLayout = new QHBoxLayout;
    NameRowLayout->setSpacing(6);
    NameRowLayout->setContentsMargins(0, 0, 0, 0);
    NameLabel = makeLabel(MainFrame, "NameLabel", tr("Name"));
    NameEdit = new QLineEdit(MainFrame);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    NameRowLayout->addWidget(NameLabel);
    NameRowLayout->addWidget(NameEdit);
    MainFrameLayout->addLayout(NameRowLayout);

    if (processForm)
        buildQlGrid();
    buildButtonRow();

    SmeltworkProcDialogLayout->addWidget(MainFrame);
}

void SmeltworkProcDialog::buildQlGrid()
{
    QlGridLayout = new QGridLayout;
    QlGridLayout->setSpacing(6);
    QlGridLayout->setContentsMargins(0, 0, 0, 0);

    MaxQlLabel = makeLabel(MainFrame, "MaxQlLabel", tr("Max QL"));
    MaxQlSpin = makeQlSpin(MainFrame, "MaxQlSpin", HighestQl);
    MinQlLabel = makeLabel(MainFrame, "MinQlLabel", tr("Min QL"));
    MinQlSpin = makeQlSpin(MainFrame, "MinQlSpin", LowestQl);
    SpecialBox = new QCheckBox(MainFrame);
    SpecialBox->setObjectName(QStringLiteral("SpecialBox"));
    SpecialBox->setText(tr("&Special"));
    SpecialBox->setChecked(false);

    QlGridLayout->addWidget(MaxQlLabel, 0, 0);
    QlGridLayout->addWidget(MaxQlSpin, 0, 1);
    QlGridLayout->addWidget(MinQlLabel, 1, 0);
    QlGridLayout->addWidget(MinQlSpin, 1, 1);
    QlGridLayout->addWidget(SpecialBox, 0, 2, 2, 1);
    MainFrameLayout->addLayout(QlGridLayout);
}

void SmeltworkProcDialog::buildButtonRow()
{
    ButtonRowLayout = new QHBoxLayout;
    ButtonRowLayout->setSpacing(6);
    ButtonRowLayout->setContentsMargins(0, 0, 0, 0);

    OkBtn = new QPushButton(MainFrame);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setText(tr("&OK"));
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton(MainFrame);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setText(tr("&Cancel"));

    // Spacers on both sides keep the two buttons centred.
    ButtonRowLayout->addItem(makeSpacer());
    ButtonRowLayout->addWidget(OkBtn);
    ButtonRowLayout->addWidget(CancelBtn);
    ButtonRowLayout->addItem(makeSpacer());
    MainFrameLayout->addLayout(ButtonRowLayout);
}

void SmeltworkProcDialog::connectSignals()
{
    if (SpecialBox)
        connect(SpecialBox, &QCheckBox::toggled, this, &SmeltworkProcDialog::setSpecial);
    connect(OkBtn, &QPushButton::clicked, this, &SmeltworkProcDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &SmeltworkProcDialog::reject);
}

void SmeltworkProcDialog::setSpecial(bool on)
{
    if (!SpecialBox)
        return;
    MaxQlSpin->setEnabled(!on);
    // A direct call checks the box, whose signal comes back here once with the same value;
    // then the states match and the box stays quiet.
    SpecialBox->setChecked(on);
}
