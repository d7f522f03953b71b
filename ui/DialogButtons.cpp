#include "DialogButtons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

QDialogButtonBox* MakeOkCancelButtons(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText("&OK");
    ok->setObjectName("okButton");
    ok->setDefault(true);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setText("&Cancel");
    cancel->setObjectName("cancelButton");
    // accept() is virtual: a dialog's own checks run.
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QDialogButtonBox* LayOutFormDialog(QDialog* dialog, QLayout* fields) {
    QDialogButtonBox* buttons = MakeOkCancelButtons(dialog);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(fields);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return buttons;
}
