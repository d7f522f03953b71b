#include "UserListDialog.h"

#include "AnsiText.h"
#include "MessageBox.h"
#include "TextOrder.h"
#include "TvDeskApp.h"
#include "UserManager.h"
#include "UserNameDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kNameBufferSize = 256;
const QString kErrorCaption = QStringLiteral("Error");

void ReportReadError(std::int32_t code) {
    MessageBox::warning(nullptr, CTvDeskApp::UserDataErrorText(code));
}

std::uint32_t UserIdOf(const QListWidgetItem& item) {
    return item.data(Qt::UserRole).value<std::uint32_t>();
}

// A line of the sorted list: users stand in the order people read names, as
// the program's other sorted boxes have them. Names are compared in the code
// page of the handheld's texts; names that the code page cannot tell apart
// follow their exact text.
class UserLine : public QListWidgetItem {
public:
    UserLine(const QString& name, std::uint32_t id) : QListWidgetItem(name, nullptr, UserType) {
        setData(Qt::UserRole, QVariant::fromValue(id));
    }

    bool operator<(const QListWidgetItem& other) const override {
        const int order =
            TextOrder::Compare(AnsiText::FromQString(text()), AnsiText::FromQString(other.text()));
        return order != 0 ? order < 0 : text() < other.text();
    }
};

} // namespace

QString CUserListDialog::ChangeErrorText(std::int32_t code) {
    switch (code) {
    case -500:
        return "No user data file.";
    case -501:
        return "No users.";
    case -509:
        return "Invalid user name.";
    case -511:
        return "No directory.";
    case -512:
        return "No user found.";
    case -515:
        return "User access problem.";
    case -516:
        return "Save error.";
    case -518:
        return "Userdata access problem.";
    case -519:
        return "Semaphore access problem.";
    case -520:
        return "Unable to create new file.";
    case -521:
        return "No core path.";
    case -523:
        return "User already exists.";
    default:
        return "Unknow user manager error.";
    }
}

CUserListDialog::CUserListDialog(IUserManager& users, QWidget* parent, NameAsker askName)
    : QDialog(parent), m_users(users),
      m_askName(askName ? std::move(askName) : NameAsker(&CUserNameDialog::Ask)),
      m_list(new QListWidget(this)) {
    setWindowTitle(tr("User List"));
    m_list->setSortingEnabled(true);
    m_list->setMinimumWidth(220);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CUserListDialog::OnEdit);

    auto* edit = new QPushButton(tr("&Edit"), this);
    auto* add = new QPushButton(tr("&New"), this);
    auto* remove = new QPushButton(tr("&Delete"), this);
    auto* close = new QPushButton(tr("&Close"), this);
    connect(edit, &QPushButton::clicked, this, &CUserListDialog::OnEdit);
    connect(add, &QPushButton::clicked, this, &CUserListDialog::OnNew);
    connect(remove, &QPushButton::clicked, this, &CUserListDialog::OnDelete);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {edit, add, remove})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);

    FillList();
}

void CUserListDialog::FillList() {
    const std::int16_t count = m_users.UmGetUserCount();
    if (count < 0)
        ReportReadError(count);
    m_list->clear();
    for (std::int16_t index = 0; index < count; ++index) {
        std::uint32_t id = 0;
        const std::int32_t found = m_users.UmGetUserID(static_cast<std::uint16_t>(index), &id);
        if (found < 0) {
            ReportReadError(found);
            continue;
        }
        char name[kNameBufferSize] = {};
        std::int16_t size = kNameBufferSize;
        const std::int32_t named = m_users.UmGetUserName(id, name, &size);
        if (named < 0) {
            ReportReadError(named);
        } else if (named > 0) {
            m_list->addItem(new UserLine(QString::fromUtf8(name), id));
        }
    }
}

void CUserListDialog::OnNew() {
    const std::optional<QString> name = m_askName(this, QString());
    if (!name)
        return;
    const std::int32_t result = m_users.UmAddUser(name->toUtf8().constData(), 0);
    if (result != 0)
        MessageBox::warning(this, ChangeErrorText(result), kErrorCaption);
    FillList();
}

void CUserListDialog::OnEdit() {
    QListWidgetItem* item = m_list->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    const std::optional<QString> name = m_askName(this, item->text());
    if (!name)
        return;
    const std::int32_t result = m_users.UmRenameUser(UserIdOf(*item), name->toUtf8().constData());
    if (result != 0) {
        MessageBox::warning(this, ChangeErrorText(result), kErrorCaption);
        return;
    }
    item->setText(*name);
    m_list->sortItems();
}

void CUserListDialog::OnDelete() {
    QListWidgetItem* item = m_list->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    if (MessageBox::question(this, "Are you sure you want to delete this user and all his data?",
                             "WARNING- delete") != MessageBox::Yes)
        return;
    const std::int32_t result = m_users.UmDeleteUser(UserIdOf(*item));
    if (result != 0) {
        // The user is still there: the line stays, as the store has it.
        MessageBox::warning(this, ChangeErrorText(result), kErrorCaption);
        return;
    }
    delete m_list->takeItem(m_list->row(item));
}
