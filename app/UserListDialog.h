#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>

class IUserManager;
class QListWidget;

// "User List": the Palm users, with New, Edit (rename) and Delete. Every
// change goes straight to Palm Desktop's user store; the list only shows it.
class CUserListDialog : public QDialog {
    Q_OBJECT
public:
    // Asks for a user name, starting from the given one; nothing on Cancel.
    using NameAsker = std::function<std::optional<QString>(QWidget* parent, const QString& name)>;

    explicit CUserListDialog(IUserManager& users, QWidget* parent = nullptr,
                             NameAsker askName = nullptr);

    // The message for a result of add, rename or delete.
    static QString ChangeErrorText(std::int32_t code);

    void FillList();
    void OnNew();
    void OnEdit();
    void OnDelete();

private:
    IUserManager& m_users;
    NameAsker m_askName;
    QListWidget* m_list;
};
