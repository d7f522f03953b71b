#include "AboutDialog.h"

#include "TvDeskApp.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDialog::CAboutDialog(const QString& dataFilePath, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About TvDesk"));
    auto* layout = new QVBoxLayout(this);

    auto* title = new QLabel(tr("<b>Tarvenly Desktop</b>"), this);
    auto* version = new QLabel(tr("Version %1").arg(CTvDeskApp::VersionText()), this);
    auto* file = new QLabel(
        tr("Data file: %1").arg(dataFilePath.isEmpty() ? tr("(none)") : dataFilePath), this);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    file->setWordWrap(true);
    file->setMinimumWidth(420);
    const QString host = QString::fromLatin1(CTvDeskApp::kProductWebHost);
    auto* web = new QLabel(QString("<a href=\"https://%1\">%1</a>").arg(host), this);
    web->setOpenExternalLinks(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(file);
    layout->addWidget(web);
    layout->addWidget(buttons);
}
