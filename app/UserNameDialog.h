#pragma once

#include <QDialog>
#include <optional>

class QLineEdit;

// "User Name": one name of at most 20 characters. The dialog does not judge
// names; Palm Desktop's user store accepts or refuses them.
class CUserNameDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxNameLength = 20;

    explicit CUserNameDialog(const QString& name, QWidget* parent = nullptr);
    QString Name() const;

    // Runs the dialog: the text on OK (possibly empty), nothing on Cancel.
    static std::optional<QString> Ask(QWidget* parent, const QString& name);

private:
    QLineEdit* m_name;
};
