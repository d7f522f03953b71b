#include "TvDeskApp.h"

#include "AboutDialog.h"
#include "DataStores.h"
#include "FileUserManager.h"
#include "HandOverProtocol.h"
#include "HandOverServer.h"
#include "InstanceRecord.h"
#include "MainFrame.h"
#include "MessageBox.h"
#include "ModalDialog.h"
#include "NotifierRegistrationOffer.h"
#include "PalmDesktopSettings.h"
#include "RecoveryJournal.h"
#include "ServiceReminder.h"
#include "SettingsDialog.h"
#include "TerminationSignals.h"
#include "TvDeskDoc.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <cstring>
#include <sys/stat.h>
#include <utility>

CTvDeskApp* CTvDeskApp::s_instance = nullptr;

namespace {

// The folder within a Palm user's folder that holds the data file.
constexpr char kDataFolder[] = "/Tarvenly";

std::unique_ptr<IUserManager> LoadFileUserManager(const std::string& desktopFolder) {
    return FileUserManager::Open(desktopFolder);
}

QSettings ProgramSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, AppSettings::kOrganisation,
                     AppSettings::kApplication);
}

} // namespace

CTvDeskApp::CTvDeskApp(UserManagerLoader loader, QObject* parent)
    : QObject(parent), m_loadUserManager(loader ? std::move(loader) : LoadFileUserManager),
      m_log([this](const std::string& text) { ShowMessage(QString::fromStdString(text)); }),
      m_document(std::make_unique<CTvDeskDoc>()),
      m_journal(std::make_unique<CRecoveryJournal>(*m_document)) {
    s_instance = this;
    m_document->SetTraceLog(&m_log);
    connect(m_journal.get(), &CRecoveryJournal::failed, this, [this](const QString& text) {
        if (m_mainFrame != nullptr)
            m_mainFrame->ShowStatusText(text);
    });
}

CTvDeskApp::~CTvDeskApp() {
    m_reminder.reset();
    // The frame refers to the document; it goes first.
    m_mainFrame.reset();
    // The socket goes while the lock still guards it.
    m_server.reset();
    m_instanceLock.Release();
    if (s_instance == this)
        s_instance = nullptr;
}

void CTvDeskApp::ShowMessage(const QString& text) {
    MessageBox::warning(m_mainFrame.get(), text);
}

void CTvDeskApp::Log(const char* entry) {
    m_log.Log(entry);
}

bool CTvDeskApp::GetInstallPath(std::string& path) {
    QSettings install(QSettings::NativeFormat, QSettings::UserScope, AppSettings::kOrganisation,
                      "Tarvenly");
    const QVariant value = install.value("3.0/Tarvenly Path");
    if (value.isValid() && !value.toString().isEmpty()) {
        path = value.toString().toStdString();
        return true;
    }
    // Not installed through an installer: the program's own data folder.
    const QString local = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (local.isEmpty() || !QDir().mkpath(local))
        return false;
    path = local.toStdString();
    return true;
}

bool CTvDeskApp::GetPalmCorePath(std::string& path) {
    if (!PalmDesktopSettings::HasCoreKey()) {
        ShowMessage("Couldn't open registry key containing Core Desktop Path. Do you have the "
                    "Palm Pilot desktop installed?");
        return false;
    }
    const std::optional<QString> folder = PalmDesktopSettings::DesktopFolder();
    if (!folder)
        return false;
    path = folder->toStdString();
    return true;
}

bool CTvDeskApp::InitApplication() {
    m_programFiles = std::make_unique<OutputGuard::Registration>([this] {
        using OutputGuard::Kind;
        return std::vector<OutputGuard::ProtectedFile>{
            {Kind::ProgramFile, m_instanceLock.Path(), std::nullopt},
            {Kind::ProgramFile, HandOverPath().toStdString(), std::nullopt},
            {Kind::ProgramFile, m_log.Path(), std::nullopt}};
    });
    std::string installPath;
    if (!GetInstallPath(installPath)) {
        ShowMessage("Couldn't get the path to the log file from the registry.");
    } else {
        switch (m_log.Open(installPath)) {
        case FileTraceLog::OpenResult::Opened:
            break;
        case FileTraceLog::OpenResult::InUse:
            // The running copy holds its log; this copy is about to hand over to it.
            break;
        case FileTraceLog::OpenResult::Failed:
            ShowMessage(QString("Couldn't open the log file: %1")
                            .arg(QString::fromStdString(m_log.Path())));
            break;
        }
    }
    Log("CTvDeskApp::InitApplication()");
    Log("CWinApp::InitApplication()::Enter");
    Log("CWinApp::InitApplication()::Exit");

    std::string palmFolder;
    if (!GetPalmCorePath(palmFolder))
        return false;
    m_userManager = m_loadUserManager(palmFolder);
    if (m_userManager == nullptr) {
        ShowMessage("Couldn't load UserData.dll");
        return false;
    }
    return true;
}

QString CTvDeskApp::HandOverPath() {
    return QString::fromStdString(HandOver::SocketPath());
}

QString CTvDeskApp::InstanceLockPath() {
    return QString::fromStdString(InstanceRecord::LockPath());
}

bool CTvDeskApp::FailStart(const QString& text) {
    qWarning("%s", qPrintable(text));
    ShowMessage(text);
    m_startFailed = true;
    return false;
}

void CTvDeskApp::RecordInstance() {
    InstanceRecord record;
    record.Socket = HandOverPath().toStdString();
    record.DataFile =
        Document != nullptr && !m_hotSyncInProgress ? Document->PathName() : std::string();
    record.TraceLog = m_log.IsOpen() ? m_log.Path() : std::string();
    if (!m_instanceLock.Record(record))
        Log("CTvDeskApp::RecordInstance()::failed");
}

bool CTvDeskApp::ActivateRunningCopy() {
    constexpr int kRequestTimeoutSeconds = 2;
    // The holder may have been started with another runtime folder: its
    // lock file names its socket.
    const std::optional<InstanceRecord> record = InstanceRecord::Read(m_instanceLock.Path());
    const std::string socket = record ? record->Socket : HandOverPath().toStdString();
    std::uint32_t otherFile = 0;
    if (record && !record->DataFile.empty() && !m_requestedFile.isEmpty()) {
        const std::optional<FileIdentity> running = FileIdentity::OfPath(record->DataFile);
        const std::optional<FileIdentity> asked =
            FileIdentity::OfPath(QFile::encodeName(m_requestedFile).toStdString());
        if (!running || !asked || running->Device != asked->Device ||
            running->Inode != asked->Inode) {
            otherFile = HandOver::kOtherFileAsked;
            qWarning("Tarvenly Desktop is already running with %s; %s was not opened.",
                     record->DataFile.c_str(), qPrintable(m_requestedFile));
        }
    }
    return HandOver::SendRequest(HandOver::kActivateMessage, otherFile, 0, kRequestTimeoutSeconds,
                                 socket)
        .has_value();
}

bool CTvDeskApp::FirstInstance() {
    Log("CTvDeskApp::FirstInstance()");
    constexpr unsigned long kRetryPauseMs = 100;
    if (m_instanceLock.Path().empty())
        return FailStart("Couldn't find the home folder of this user for the program's lock.");
    InstanceRecord::CreateLockFolder();
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        switch (m_instanceLock.TryAcquire()) {
        case InstanceLock::Result::Acquired:
            RecordInstance();
            return true;
        case InstanceLock::Result::Failed:
            return FailStart(QString("Couldn't lock %1: %2")
                                 .arg(QString::fromStdString(m_instanceLock.Path()),
                                      QString::fromStdString(m_instanceLock.Error())));
        case InstanceLock::Result::HeldElsewhere:
            break;
        }
        if (ActivateRunningCopy())
            return false;
        // The holder does not answer: it has not begun to listen yet, it is
        // busy, or it is ending. Its socket is never taken over; the lock is
        // tried again, as it is free once a copy that is ending is gone.
        if (waited.elapsed() >= kActivationWaitMs)
            return false;
        QThread::msleep(kRetryPauseMs);
    }
}

void CTvDeskApp::ReadEarly(const QString& fileToOpen) {
    if (!fileToOpen.isEmpty())
        m_earlyRead =
            std::make_unique<EarlyRead>(QFileInfo(fileToOpen).absoluteFilePath().toStdString());
}

bool CTvDeskApp::InitInstance(const QString& fileToOpen) {
    Log("CTvDeskApp::InitInstance()");
    m_requestedFile = fileToOpen.isEmpty() ? QString() : QFileInfo(fileToOpen).absoluteFilePath();
    const QString socket = HandOverPath();
    if (!HandOver::FitsSocketAddress(socket.toStdString()))
        return FailStart(QString("The path of the program's socket is too long for this system "
                                 "(at most %1 bytes): %2")
                             .arg(sizeof(sockaddr_un::sun_path) - 1)
                             .arg(socket));
    if (!FirstInstance())
        return false;
    // The socket stands for the registered window class: the notifier and
    // later copies find this copy by it.
    m_server = std::make_unique<HandOverServer>(
        [this](std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam) {
            return OnHandOverMessage(message, wParam, lParam);
        });
    if (!m_server->Listen(socket, m_instanceLock))
        return FailStart(
            QString("Couldn't listen at the socket %1: %2").arg(socket, m_server->ErrorString()));
    ClassRegistered = true;

    QSettings settings = ProgramSettings();
    AppSettings::Load(settings);
    m_settingsLoaded = true;
    ReminderSettings::SetCurrent(Reminders);

    if (fileToOpen.isEmpty()) {
        // The user's file is read while the window is built, as a file given
        // is; a read that the open did not take is let go of here.
        ReadUserDataEarly();
        OnFileNew();
        m_earlyRead.reset();
    } else {
        m_commandLineFile = QFileInfo(fileToOpen).absoluteFilePath().toStdString();
        OpenCommandLineFile();
    }
    if (m_mainFrame == nullptr) {
        // The reason was shown; nothing is open.
        m_startFailed = true;
        return false;
    }

    m_mainFrame->show();
    QTimer::singleShot(0, m_mainFrame.get(),
                       [frame = m_mainFrame.get()] { OfferNotifierRegistration(frame); });
    m_reminder = std::make_unique<CServiceReminder>(*this);
    m_reminder->Check();
    m_termination = std::make_unique<TerminationSignals>();
    connect(m_termination.get(), &TerminationSignals::requested, this,
            &CTvDeskApp::OnTerminationRequest);
    Log("CTvDeskApp::InitInstance()::m_pMainWnd->UpdateWindow()");
    Log("CTvDeskApp::InitInstance()::return");
    return true;
}

void CTvDeskApp::OnTerminationRequest(int signalNumber) {
    Log("CTvDeskApp::OnTerminationRequest(" + std::to_string(signalNumber) + ")");
    // The cancelled dialogs' commands end first; then the window closes as
    // if the user closed it, so a failed save still asks where to save.
    ModalDialog::cancelAll();
    QTimer::singleShot(0, this, [this] {
        if (m_mainFrame != nullptr && m_mainFrame->close())
            QApplication::quit();
    });
}

int CTvDeskApp::ExitInstance() {
    m_termination.reset();
    Log("CTvDeskApp::ExitInstance()");
    m_journal->End();
    m_log.Close();
    // A copy that ended before reading the settings must not overwrite them
    // with its defaults.
    if (m_settingsLoaded) {
        QSettings settings = ProgramSettings();
        AppSettings::Save(settings);
    }
    if (ClassRegistered) {
        m_server->Close();
        ClassRegistered = false;
    }
    // Only now, with the settings written and the socket gone, may another
    // copy become the running one.
    m_instanceLock.Release();
    return 0;
}

void CTvDeskApp::OnFileNew() {
    Log("CTvDeskApp::OnFileNew()");
    OpenUserData();
}

QString CTvDeskApp::UserDataErrorText(std::int32_t code) {
    struct Entry {
        std::int32_t code;
        const char* text;
    };
    static const Entry kTexts[] = {
        {-500, "UserData error: No userdata file."},
        {-501, "UserData error: No Palm users are currently setup. You should set up a user "
               "before running Tarvenly."},
        {-503, "UserData error: Invalid user index."},
        {-504, "UserData error: Buffer size was too small."},
        {-505, "UserData error: Invalid user."},
        {-509, "UserData error: Invalid user name."},
        {-510, "UserData error: Invalid user directory."},
        {-511, "UserData error: No User Directory."},
        {-512, "UserData error: No User found."},
        {-513, "UserData error: Not found Error."},
        {-514, "UserData error: Bad filename."},
        {-515, "UserData error: User access error."},
        {-516, "UserData error: Save error."},
        {-518, "UserData error: Unknown user data problem."},
        {-519, "UserData error: Another program is exclusively using the user database."},
        {-520, "UserData error: Unable to create new file."},
        {-521, "UserData error: Couldn't find the palm core path when looking up user."},
        {-522, "UserData error: Invalid pointer when accessing user data."},
        {-523, "UserData error: User already exists."},
        {-524, "UserData error: Directory already in use."},
        {-525, "UserData error: Can not write to store."},
        {-526, "UserData error: Sync path too big."},
        {-527, "UserData error: String too big."},
        {-528, "UserData error: Function not supported."},
    };
    for (const Entry& entry : kTexts)
        if (entry.code == code)
            return entry.text;
    return QString("UserData.dll error code: %1").arg(code);
}

void CTvDeskApp::ShowUserDataError(std::int32_t code) {
    ShowMessage(UserDataErrorText(code));
}

std::string CTvDeskApp::UserFolder(std::string& user, Reporting reporting) {
    const bool reports = reporting == Reporting::Report;
    const auto trace = [&](const std::string& entry) {
        if (reports)
            Log(entry);
    };
    const auto tell = [&](const QString& text) {
        if (reports)
            ShowMessage(text);
    };
    trace("CTvDeskApp::OpenUserData()::UmGetRootDirectory");
    char root[kUserTextBufferSize] = {};
    std::int16_t size = kUserTextBufferSize;
    const std::int32_t rootFound = m_userManager->UmGetRootDirectory(root, &size);
    trace(root);
    // Without the root folder a user's folder would be taken as relative to
    // the current folder.
    if (rootFound < 0 || root[0] != '/') {
        root[0] = '\0';
        tell(rootFound == -504 ? QString("The Palm Desktop folder is longer than %1 bytes.")
                                     .arg(kUserTextBufferSize - 1)
                               : UserDataErrorText(rootFound < 0 ? rootFound : -510));
    }

    std::optional<std::uint32_t> userId;
    if (!user.empty()) {
        trace("CTvDeskApp::OpenUserData()::UmGetIDFromName()");
        trace(user);
        std::uint32_t id = 0;
        if (m_userManager->UmGetIDFromName(user.c_str(), &id) >= 0)
            userId = id;
        else
            user.clear();
    }
    if (!userId) {
        const std::int16_t count = m_userManager->UmGetUserCount();
        trace("CTvDeskApp::OpenUserData()::UmGetUserCount()");
        if (count < 0) {
            tell(UserDataErrorText(count));
        } else {
            for (std::int16_t index = 0; index < count && !userId; ++index) {
                trace("CTvDeskApp::OpenUserData()::UmGetUserID()");
                std::uint32_t id = 0;
                const std::int32_t result =
                    m_userManager->UmGetUserID(static_cast<std::uint16_t>(index), &id);
                if (UserManagerError::IsError(result)) {
                    tell(UserDataErrorText(result));
                    continue;
                }
                trace("CTvDeskApp::OpenUserData()::UmGetUserName()");
                char name[kUserTextBufferSize] = {};
                std::int16_t nameSize = kUserTextBufferSize;
                const std::int32_t named = m_userManager->UmGetUserName(id, name, &nameSize);
                if (named < 0) {
                    tell("Function: UmGetUserName failed.");
                    tell(UserDataErrorText(named));
                    continue;
                }
                user = name;
                userId = id;
            }
            if (!userId)
                tell("Couldn't find any users.  Set up a user first, using the palm desktop.");
        }
    }

    if (!userId)
        return {};
    trace("CTvDeskApp::OpenUserData()::UmGetUserDirectory()");
    const std::size_t rootLength = std::strlen(root);
    std::int16_t rest = static_cast<std::int16_t>(kUserTextBufferSize - rootLength);
    if (rootLength > 0 && m_userManager->UmGetUserDirectory(*userId, root + rootLength, &rest) > 0)
        return root;
    tell("Couldn't find the user directory.");
    return {};
}

std::string CTvDeskApp::UserDataFile(const std::string& userFolder) {
    return userFolder + kDataFolder + "/TvData.tv";
}

void CTvDeskApp::ReadUserDataEarly() {
    // Looked up quietly: OpenUserData looks up again and says what fails.
    std::string user = CurrentUser;
    const std::string folder = UserFolder(user, Reporting::Quiet);
    if (!folder.empty())
        m_earlyRead = std::make_unique<EarlyRead>(UserDataFile(folder));
}

bool CTvDeskApp::OpenUserData() {
    Log("CTvDeskApp::OpenUserData()");
    const std::string folder = UserFolder(CurrentUser, Reporting::Report);

    bool kept = false;
    if (folder.empty()) {
        // No user to open: the open data is saved and let go, never replaced
        // by a path built from nothing. Unsaved data that cannot be written
        // stays open.
        if (Document != nullptr) {
            kept = !m_document->SaveModified();
            if (!kept) {
                m_document->MarkEmpty();
                DataFilePath.clear();
                SetDocument(nullptr);
            }
        }
    } else {
        ::mkdir((folder + kDataFolder).c_str(), 0755);
        const std::string path = UserDataFile(folder);
        Log("CTvDeskApp::OpenUserData()::OpenDocumentFile()");
        Log(path);
        kept = OpenDocumentFile(path) == Opening::Kept;
    }
    // From now on the program shows the Palm user's data, not a given file.
    if (!kept)
        m_commandLineFile.clear();
    Log("CTvDeskApp::OpenUserData()::return");
    return !kept;
}

// Marks an open or a user switch as under way for as long as it lives. A
// HotSync reload that arrives meanwhile (in the loop of a message box or of
// the Save As of a failed save) waits, and runs once the outermost one has
// ended: it then reads the file of the data left open, never one chosen by a
// switch that did not finish.
class CTvDeskApp::SwitchScope {
public:
    explicit SwitchScope(CTvDeskApp& app) : m_app(app) { ++m_app.m_switching; }
    ~SwitchScope() {
        if (--m_app.m_switching == 0 && std::exchange(m_app.m_reloadWaiting, false))
            m_app.ReloadDocument();
    }
    SwitchScope(const SwitchScope&) = delete;
    SwitchScope& operator=(const SwitchScope&) = delete;

private:
    CTvDeskApp& m_app;
};

CTvDeskApp::Opening CTvDeskApp::OpenDocumentFile(const std::string& path) {
    const SwitchScope switching(*this);
    // The open data is saved first; when that fails it stays as it is, and
    // so does the file it belongs to.
    if (!m_document->SaveModified())
        return Opening::Kept;
    const bool frameCreated = m_mainFrame == nullptr;
    if (frameCreated) {
        m_mainFrame = std::make_unique<CMainFrame>(*this);
        m_document->SetDialogParent(m_mainFrame.get());
    }
    const std::unique_ptr<EarlyRead> early = std::move(m_earlyRead);
    if (!m_document->OnOpenDocument(path, early.get())) {
        if (frameCreated) {
            m_document->SetDialogParent(nullptr);
            m_mainFrame.reset();
        }
        // The document is empty and nameless; no file is open.
        DataFilePath.clear();
        SetDocument(nullptr);
        return Opening::Failed;
    }
    DataFilePath = path;
    // What a run that did not end normally left of this file is offered
    // before the views show the data.
    m_journal->Begin(m_mainFrame.get());
    SetDocument(m_document.get());
    return Opening::Opened;
}

void CTvDeskApp::OpenCommandLineFile() {
    Log("CTvDeskApp::OpenCommandLineFile()");
    Log(m_commandLineFile);
    OpenDocumentFile(m_commandLineFile);
}

void CTvDeskApp::SetDocument(CTvDeskDoc* document) {
    Document = document;
    RecordInstance();
    m_document->UpdateAllViews(nullptr, 0);
}

void CTvDeskApp::OnUserSelection(const std::string& name) {
    Log("CTvDeskApp::OnUserSelection()");
    if (name == CurrentUser)
        return;
    const SwitchScope switching(*this);
    std::string previous = std::exchange(CurrentUser, name);
    m_document->SetUndoClearedText("Undo history cleared by the user switch.");
    if (!OpenUserData())
        CurrentUser = std::move(previous);
    m_document->SetUndoClearedText({});
}

void CTvDeskApp::SaveForHotSync() {
    if (Document != nullptr && !Document->PathName().empty())
        Document->SaveUnlessUnchanged();
    m_hotSyncInProgress = true;
    RecordInstance();
}

void CTvDeskApp::ReloadDocument() {
    Log("CTvDeskApp::ReloadDocument()");
    // The conduit is done with the data file once it is read again, or kept.
    if (std::exchange(m_hotSyncInProgress, false))
        RecordInstance();
    // Nothing typed into a dialog may reach the data read now.
    m_closedByReload += ModalDialog::cancelAll();
    if (m_switching > 0) {
        m_reloadWaiting = true;
        return;
    }
    const QStringList closed = std::exchange(m_closedByReload, {});
    // The history names records the reload lets go of; the status says so.
    const bool hadHistory = m_document->UndoStack().count() > 0;
    std::optional<std::string> recovery;
    if (Document != nullptr) {
        // The reload replaces what is in memory; edits the file does not have
        // yet are kept in a file of their own first, and stay in memory when
        // no such file can be written.
        if (Document->IsModified()) {
            recovery = Document->WriteRecoveryCopy(TvDocument::Reporting::Quiet);
            if (!recovery) {
                KeepUnsavedEdits(closed);
                return;
            }
        }
        Document->MarkEmpty();
    }
    if (!m_commandLineFile.empty())
        OpenCommandLineFile();
    else
        OpenUserData();
    if (recovery) {
        ShowMessage(QString("Changes that could not be saved before the HotSync were written to "
                            "%1. %2")
                        .arg(QString::fromStdString(*recovery),
                             Document != nullptr ? "The data file has been read again."
                                                 : "The data file could not be read again."));
    }
    QString outcome = Document != nullptr
                          ? "The data file was read again after a HotSync."
                          : "The data file could not be read again after a HotSync.";
    if (hadHistory)
        outcome += " Undo history cleared by the HotSync.";
    ShowReloadStatus(outcome, closed);
    if (m_reminder != nullptr)
        m_reminder->Check();
}

void CTvDeskApp::KeepUnsavedEdits(const QStringList& closed) {
    Log("CTvDeskApp::KeepUnsavedEdits()");
    const QString data = QString::fromStdString(Document->PathName());
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    ShowMessage(
        QString("Nothing was saved: your changes could not be written before the HotSync, nor to "
                "a recovery copy beside %1, in %2 or in %3 (%4; the disk may be full).\n\n"
                "So that they are not lost, the data file was not read again: your changes stay "
                "open here, without what the HotSync brought. Make room on the disk; the next "
                "save (the next HotSync, a change of user or Exit) keeps the file the HotSync "
                "wrote and writes your changes to a recovery file beside it.")
            .arg(data, folder, QDir::homePath(), QString::fromStdString(Document->LastError())));
    ShowReloadStatus("Not read again after the HotSync: your changes could not be saved.", closed);
}

void CTvDeskApp::ShowReloadStatus(const QString& outcome, const QStringList& closed) {
    if (m_mainFrame == nullptr)
        return;
    QString text = outcome;
    if (!closed.isEmpty()) {
        text += QString(" It closed %1; what was entered there was not kept.")
                    .arg(closed.join(QStringLiteral(", ")));
    }
    m_mainFrame->ShowStatusText(text);
}

std::optional<std::uint32_t>
CTvDeskApp::OnHandOverMessage(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam) {
    if (message == HandOver::kActivateMessage) {
        if (m_mainFrame != nullptr)
            m_mainFrame->BringToFront();
        // Told after the answer went back, so that the other copy can end.
        if (wParam == HandOver::kOtherFileAsked && Document != nullptr)
            QTimer::singleShot(0, this, [this] {
                if (Document != nullptr)
                    ShowMessage(QString("Tarvenly Desktop is already running with the data file "
                                        "%1. Another file was not opened.")
                                    .arg(QString::fromStdString(Document->PathName())));
            });
        return 0;
    }
    if (m_mainFrame == nullptr)
        return std::nullopt;
    return m_mainFrame->OnHotSyncMessage(wParam, lParam);
}

QString CTvDeskApp::VersionText() {
    return QString::asprintf("%u.%u.%u.%u", (kVersion >> 24) & 0xFF, (kVersion >> 16) & 0xFF,
                             (kVersion >> 8) & 0xFF, kVersion & 0xFF);
}

void CTvDeskApp::OnSettings() {
    CSettingsDialog dialog(*this, m_mainFrame.get());
    ModalDialog::exec(dialog);
}

void CTvDeskApp::OnAppAbout() {
    CAboutDialog dialog(QString::fromStdString(DataFilePath), m_mainFrame.get());
    ModalDialog::exec(dialog);
}
