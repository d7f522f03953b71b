#include "CategoryNameDialog.h"

#include "DialogButtons.h"
#include "MessageBox.h"
#include "ModalDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kMinimumNameWidth = 200;

} // namespace

CCategoryNameDialog::CCategoryNameDialog(const QString& name, QWidget* parent)
    : QDialog(parent), m_name(new QLineEdit(this)) {
    setWindowTitle(tr("Category"));
    m_name->setObjectName("nameEdit");
    m_name->setMaxLength(kMaxNameLength);
    m_name->setText(name);
    m_name->setMinimumWidth(kMinimumNameWidth);
    m_name->selectAll();

    auto* form = new QFormLayout;
    form->addRow(tr("&Name:"), m_name);
    LayOutFormDialog(this, form);
    m_name->setFocus();
}

QString CCategoryNameDialog::Name() const {
    return m_name->text();
}

void CCategoryNameDialog::accept() {
    if (m_name->text().isEmpty()) {
        MessageBox::warning(this, tr("You must enter a name"));
        m_name->setFocus();
        return;
    }
    QDialog::accept();
}

std::optional<QString> CCategoryNameDialog::Ask(QWidget* parent, const QString& name) {
    CCategoryNameDialog dialog(name, parent);
    if (ModalDialog::exec(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.Name();
}
