#include "help/topicdialog.h"

#include "dialogs/dialogkit.h"
#include "resources/appicon.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
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

    HeaderLabel = makeLabel(MainFrame, "HeaderLabel", tr("Header"));
    FieldLayout->addWidget(HeaderLabel, 1, 0);
    HeaderEdit = makeLineEdit(MainFrame, "HeaderEdit");
    FieldLayout->addWidget(HeaderEdit, 1, 1);
    IDLabel = makeLabel(MainFrame, "IDLabel", tr("ID"));
    FieldLayout->addWidget(IDLabel, 0, 0);
    IDEdit = makeLineEdit(MainFrame, "IDEdit");
    IDEdit->setText(tr("HLP_"));
    FieldLayout->addWidget(IDEdit, 0, 1);

    MainFrameLayout->addLayout(FieldLayout);

    ButtonLayout = makeLayout<QHBoxLayout>(6, 0);
    ButtonLayout->addItem(makeExpandingSpacer());
    OkBtn = makeButton(MainFrame, "OkBtn", tr("&Ok"));
    ButtonLayout->addWidget(OkBtn);
    CancelBtn = makeButton(MainFrame, "CancelBtn", tr("&Cancel"));
    ButtonLayout->addWidget(CancelBtn);
    ButtonLayout->addItem(makeExpandingSpacer());
    MainFrameLayout->addLayout(ButtonLayout);

    TopicDialogLayout->addWidget(MainFrame);
    // Created after the header field, but first in the dialog and first to be typed in. Set
    // once every widget exists: a widget created later would go in between.
    setTabOrder(IDEdit, HeaderEdit);
}

void SmeltworkTopicDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Showing the dialog focuses the id as Tab would, which marks all of it. A new topic's
    // "HLP_" is a prefix to be extended, not replaced: the cursor goes after it instead. An
    // existing id stays marked, to be typed over or kept.
    if (IDEdit->text() == tr("HLP_")) {
        QTimer::singleShot(0, IDEdit, [edit = IDEdit] {
            edit->deselect();
            edit->end(false);
        });
    }
}

void SmeltworkTopicDialog::connectSignals()
{
    connect(OkBtn, &QPushButton::clicked, this, &SmeltworkTopicDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &SmeltworkTopicDialog::reject);
}
