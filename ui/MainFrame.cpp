#include "MainFrame.h"

#include "HandOverProtocol.h"
#include "TvDeskApp.h"
#include "TvDeskDoc.h"
#include "UserListDialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QToolBar>

namespace {

constexpr int kUserNameBufferSize = 256;

} // namespace

CMainFrame::CMainFrame(CTvDeskApp& app, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_users(new QComboBox(this)), m_summary(new QLabel(this)) {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* save = file->addAction(tr("&Save"));
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, [this] { m_app.Doc().SaveModified(); });
    file->addSeparator();
    QAction* exit = file->addAction(tr("E&xit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    QAction* editUsers = tools->addAction(tr("Edit &Users..."));
    connect(editUsers, &QAction::triggered, this, &CMainFrame::OnEditUsers);
    QAction* settings = tools->addAction(tr("&Settings..."));
    connect(settings, &QAction::triggered, this, [this] { m_app.OnSettings(); });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* about = help->addAction(tr("&About TvDesk..."));
    connect(about, &QAction::triggered, this, [this] { m_app.OnAppAbout(); });

    QToolBar* toolbar = addToolBar(tr("Toolbar"));
    toolbar->setMovable(false);
    auto* userLabel = new QLabel(tr("&User:"), toolbar);
    userLabel->setBuddy(m_users);
    userLabel->setContentsMargins(6, 0, 4, 0);
    toolbar->addWidget(userLabel);
    m_users->setMinimumContentsLength(16);
    toolbar->addWidget(m_users);
    connect(m_users, &QComboBox::activated, this, &CMainFrame::OnUserChosen);

    m_summary->setObjectName("summary");
    m_summary->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_summary->setMargin(12);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setCentralWidget(m_summary);
    resize(760, 480);

    CTvDeskDoc& document = m_app.Doc();
    connect(&document, &CTvDeskDoc::viewsUpdated, this, [this] { RebuildActiveView(); });
    connect(&document, &CTvDeskDoc::modifiedChanged, this, &QWidget::setWindowModified);
    FillUserList();
    RebuildActiveView();
}

void CMainFrame::FillUserList() {
    IUserManager* users = m_app.UserManager();
    const QSignalBlocker blocker(m_users);
    m_users->clear();
    if (users == nullptr)
        return;
    const std::int16_t count = users->UmGetUserCount();
    for (std::int16_t index = 0; index < count; ++index) {
        std::uint32_t id = 0;
        if (UserManagerError::IsError(users->UmGetUserID(static_cast<std::uint16_t>(index), &id)))
            continue;
        char name[kUserNameBufferSize] = {};
        std::int16_t size = kUserNameBufferSize;
        if (users->UmGetUserName(id, name, &size) < 0 || name[0] == '\0')
            continue;
        m_users->addItem(QString::fromUtf8(name));
    }
    m_users->setCurrentIndex(m_users->findText(QString::fromStdString(m_app.CurrentUser)));
}

void CMainFrame::OnEditUsers() {
    if (m_app.UserManager() == nullptr)
        return;
    CUserListDialog dialog(*m_app.UserManager(), this);
    dialog.exec();
    FillUserList();
}

void CMainFrame::OnUserChosen(int index) {
    if (index >= 0)
        m_app.OnUserSelection(m_users->itemText(index).toStdString());
    FillUserList();
}

std::uint32_t CMainFrame::OnHotSyncMessage(std::uint32_t request, std::uint32_t) {
    switch (request) {
    case HandOver::Probe:
        return HandOver::kHotSyncMessage;
    case HandOver::Save:
        if (m_app.Document != nullptr && !m_app.Document->PathName().empty())
            m_app.Document->OnSaveDocument(m_app.Document->PathName());
        return 0;
    case HandOver::Reload:
        m_app.ReloadDocument();
        return 0;
    case HandOver::RefillUsers:
        FillUserList();
        return 0;
    default:
        return 0;
    }
}

void CMainFrame::BringToFront() {
    if (isMinimized())
        showNormal();
    QWidget* front = QApplication::activeModalWidget();
    if (front == nullptr)
        front = this;
    front->raise();
    front->activateWindow();
}

void CMainFrame::RebuildActiveView() {
    CTvDeskDoc& document = m_app.Doc();
    const QString path = QString::fromStdString(document.PathName());
    setWindowTitle((path.isEmpty() ? tr("Untitled") : QFileInfo(path).fileName()) + "[*] - TvDesk");
    setWindowModified(document.IsModified());
    if (m_app.Document == nullptr) {
        m_summary->setText(tr("No data file is open."));
        return;
    }
    const auto row = [](const QString& name, const RecordStore& store) {
        return QString("<tr><td>%1</td><td align=right>%2</td></tr>")
            .arg(name)
            .arg(store.LiveCount());
    };
    m_summary->setText(QString("<p><b>%1</b></p><p>%2</p><table cellspacing=6>%3%4%5%6%7</table>")
                           .arg(path.toHtmlEscaped(),
                                document.Trips().UsesKilometres() ? tr("Distances in kilometers")
                                                                  : tr("Distances in miles"),
                                row(tr("Vehicles"), document.Vehicles()),
                                row(tr("Service types"), document.ServiceTypes()),
                                row(tr("Service entries"), document.Services()),
                                row(tr("Trips"), document.Trips()),
                                row(tr("Expenses"), document.Expenses())));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Changes are written back without asking; a failed save keeps the
    // window open so that nothing is lost.
    if (m_app.Doc().SaveModified())
        event->accept();
    else
        event->ignore();
}
