#include "UserNameDialog.h"

#include "DialogButtons.h"
#include "ModalDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

CUserNameDialog::CUserNameDialog(const QString& name, QWidget* parent)
    : QDialog(parent), m_name(new QLineEdit(name, this)) {
    setWindowTitle(tr("User Name"));
    m_name->setMaxLength(kMaxNameLength);
    m_name->selectAll();

    auto* form = new QFormLayout;
    form->addRow(tr("&Name:"), m_name);
    LayOutFormDialog(this, form);
}

QString CUserNameDialog::Name() const {
    return m_name->text();
}

std::optional<QString> CUserNameDialog::Ask(QWidget* parent, const QString& name) {
    CUserNameDialog dialog(name, parent);
    if (ModalDialog::exec(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.Name();
}
