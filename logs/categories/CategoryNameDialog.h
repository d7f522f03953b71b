#pragma once

#include <QDialog>
#include <optional>

class QLineEdit;

// "Category": asks for the name of a category, 1 to 15 characters.
class CCategoryNameDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxNameLength = 15;

    explicit CCategoryNameDialog(const QString& name, QWidget* parent = nullptr);
    QString Name() const;

    // Runs the dialog: the name on OK, nothing on Cancel.
    static std::optional<QString> Ask(QWidget* parent, const QString& name);

public slots:
    // Refuses an empty name, keeping the dialog open.
    void accept() override;

private:
    QLineEdit* m_name;
};
