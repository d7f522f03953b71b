#include "CompletionDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

// The icon is compiled into a static library, so it is registered by hand
// (outside any namespace, as the resource's entry point is global).
static QIcon ProgramIcon() {
    Q_INIT_RESOURCE(uninstall);
    return QIcon(":/uninstall/tvdesk.svg");
}

CompletionDialog::CompletionDialog(const QString& package, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Tarvenly Removal Complete");
    const QIcon icon = ProgramIcon();
    setWindowIcon(icon);

    auto* iconLabel = new QLabel(this);
    iconLabel->setObjectName("icon");
    iconLabel->setPixmap(icon.pixmap(48, 48));
    iconLabel->setAlignment(Qt::AlignTop);

    auto* removed = new QLabel(
        package.isEmpty()
            ? QString("Tarvenly was successfully removed.")
            : QString("Tarvenly's registration with your Palm Desktop was removed.\n"
                      "To remove the program itself, remove the package %1 with the package "
                      "manager, for example: sudo apt remove %1")
                  .arg(package),
        this);
    removed->setWordWrap(true);
    removed->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const QString site = QString::fromLatin1(kProductWebSite);
    auto* updates =
        new QLabel(QString("For program updates, visit <a href=\"%1\">%1</a>.").arg(site), this);
    updates->setObjectName("updates");
    updates->setOpenExternalLinks(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(removed);
    texts->addWidget(updates);
    auto* row = new QHBoxLayout;
    row->addWidget(iconLabel);
    row->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}
