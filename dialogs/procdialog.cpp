#include "dialogs/procdialog.h"

#include "dialogs/dialogkit.h"
#include "resources/appicon.h"

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
    auto *spin = makeNamed<QSpinBox>(parent, name);
    spin->setRange(LowestQl, HighestQl);
    spin->setSingleStep(1);
    spin->setValue(value);
    return spin;
}

} // namespace

SmeltworkProcDialog::SmeltworkProcDialog(int kind, QWidget *parent, const char *name, bool modal,
                                         Qt::WindowFlags fl)
    : QDialog(parent, fl)
{
    setUpDialog(this, modal, name, "SmeltworkProcDialog", 240, 80, tr("SmeltworkAdmin"));
    setWindowIcon(noIcon());

    buildWidgets(kind == ProcessKind);
    connectSignals();
    NameEdit->setFocus();
}

void SmeltworkProcDialog::buildWidgets(bool processForm)
{
    SmeltworkProcDialogLayout = makeLayout<QVBoxLayout>(4, 6, this);
    MainFrame = makeMainFrame(this);
    MainFrameLayout = makeLayout<QVBoxLayout>(4, 6, MainFrame);

    NameRowLayout = makeLayout<QHBoxLayout>(6, 0);
    NameLabel = makeLabel(MainFrame, "NameLabel", tr("Name"));
    NameEdit = makeLineEdit(MainFrame, "NameEdit");
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
    QlGridLayout = makeLayout<QGridLayout>(6, 0);

    MaxQlLabel = makeLabel(MainFrame, "MaxQlLabel", tr("Max QL"));
    MaxQlSpin = makeQlSpin(MainFrame, "MaxQlSpin", HighestQl);
    MinQlLabel = makeLabel(MainFrame, "MinQlLabel", tr("Min QL"));
    MinQlSpin = makeQlSpin(MainFrame, "MinQlSpin", LowestQl);
    SpecialBox = makeNamed<QCheckBox>(MainFrame, "SpecialBox");
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
    ButtonRowLayout = makeLayout<QHBoxLayout>(6, 0);
    OkBtn = makeButton(MainFrame, "OkBtn", tr("&OK"));
    OkBtn->setDefault(true);
    CancelBtn = makeButton(MainFrame, "CancelBtn", tr("&Cancel"));

    // Spacers on both sides keep the two buttons centred.
    ButtonRowLayout->addItem(makeExpandingSpacer());
    ButtonRowLayout->addWidget(OkBtn);
    ButtonRowLayout->addWidget(CancelBtn);
    ButtonRowLayout->addItem(makeExpandingSpacer());
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
