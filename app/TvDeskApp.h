#pragma once

#include "AppSettings.h"
#include "FileTraceLog.h"
#include "InstanceLock.h"
#include "OutputGuard.h"
#include "UserManager.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class CMainFrame;
class CTvDeskDoc;
class EarlyRead;
class CRecoveryJournal;
class CServiceReminder;
class HandOverServer;
class TerminationSignals;

// The application object: the trace log, the single running copy, the
// settings, the Palm user whose data is open, and the HotSync hand-over.
class CTvDeskApp : public QObject, public AppSettings {
    Q_OBJECT
public:
    // Opens Palm Desktop's user store in its folder; null when it cannot.
    using UserManagerLoader =
        std::function<std::unique_ptr<IUserManager>(const std::string& desktopFolder)>;

    static constexpr const char* kProductWebHost = "www.tarvenly.com";
    static constexpr std::uint32_t kVersion = 0x03000038;
    // Texts of the Palm user manager are received in buffers of this size.
    static constexpr std::int16_t kUserTextBufferSize = 260;

    explicit CTvDeskApp(UserManagerLoader loader = nullptr, QObject* parent = nullptr);
    ~CTvDeskApp() override;

    // The one application object of the run.
    static CTvDeskApp* Instance() { return s_instance; }

    // Start: the trace log, Palm Desktop's folder and its user store.
    bool InitApplication();
    // The single running copy, the settings, then the data file: fileToOpen
    // when given, else the current Palm user's. False: the program ends.
    bool InitInstance(const QString& fileToOpen = QString());
    // Starts reading fileToOpen on a thread of its own, for InitInstance to
    // take over once the window is built; nothing when none is given.
    void ReadEarly(const QString& fileToOpen);
    // End: the log is closed and the settings written back.
    int ExitInstance();
    // True when this copy took the instance lock and so is the one that runs.
    // Otherwise the running copy is brought to the front and this one ends;
    // while the lock's holder is not answering yet (starting or ending), the
    // lock and the request are tried again for a short while.
    bool FirstInstance();

    void Log(const char* entry);
    void Log(const std::string& entry) { Log(entry.c_str()); }
    bool GetInstallPath(std::string& path);
    bool GetPalmCorePath(std::string& path);

    void OnFileNew();
    // Opens the data file of CurrentUser, or of the first usable Palm user.
    // False when the open data could not be saved and so stays open.
    bool OpenUserData();
    // Switches to the named Palm user; a switch that cannot save the open
    // data leaves program and user as they were.
    void OnUserSelection(const std::string& name);
    void ShowUserDataError(std::int32_t code);
    static QString UserDataErrorText(std::int32_t code);

    // Drops the data without saving and reads the data file again: the file
    // the program was started on, else the Palm user's. Every dialog on
    // screen closes first, as cancelled. Edits the file does not have yet go
    // to a recovery copy first; when none can be written, nothing is read and
    // the edits stay. Inside an open or a user switch it waits for its end.
    // The status bar tells the outcome and which dialogs were closed.
    void ReloadDocument();
    // HotSync request 1: the data is written back and, until the reload,
    // the data file belongs to the conduit that synchronises it (the lock
    // file stops naming it, so tvtool may write it then).
    void SaveForHotSync();
    // Answers a hand-over request; nothing drops it.
    std::optional<std::uint32_t> OnHandOverMessage(std::uint32_t message, std::uint32_t wParam,
                                                   std::uint32_t lParam);

    // A shutdown, a logout or Ctrl+C: open dialogs are cancelled and the
    // program ends as closing its window ends it, the data written back.
    void OnTerminationRequest(int signalNumber);

    void OnSettings();
    void OnAppAbout();
    static QString VersionText();

    CTvDeskDoc& Doc() { return *m_document; }
    CMainFrame* MainFrame() { return m_mainFrame.get(); }
    IUserManager* UserManager() { return m_userManager.get(); }
    FileTraceLog& TraceLogFile() { return m_log; }
    // The socket of the running copy.
    static QString HandOverPath();
    // The lock held by the running copy, at a place that depends only on the
    // user (see InstanceRecord); it records the socket and the data file.
    static QString InstanceLockPath();
    // True when the program ends because it could not start (a message said
    // why), not because another copy runs.
    bool StartFailed() const { return m_startFailed; }
    // How long a copy that finds the lock taken tries to reach its holder.
    static constexpr int kActivationWaitMs = 3000;

    const std::string WindowClassName = "TarvenlyDesktop";
    bool ClassRegistered = false;
    CTvDeskDoc* Document = nullptr; // the document once a user's data file is open
    std::string DataFilePath;
    // The sort code of each log's list, by log index: 0 at start, kept for
    // the run, never saved.
    std::array<int, 5> SortCodes = {};

private:
    enum class Opening {
        Opened,
        Failed, // nothing is open, and nothing can be saved over any file
        Kept,   // the open data could not be saved and stays as it was
    };
    // Saves the open data, then opens the path; keeps the result in
    // Document and DataFilePath.
    Opening OpenDocumentFile(const std::string& path);
    // Keeps the result of an opening and lets the views show it.
    void SetDocument(CTvDeskDoc* document);
    // Opens the file named on the command line.
    void OpenCommandLineFile();
    enum class Reporting { Report, Quiet };
    // The folder of the named Palm user, or when there is none by that name
    // (then user is cleared) of the first usable one (then user becomes its
    // name); empty when no user's folder is found. Reporting traces each
    // step and shows what fails; Quiet does neither.
    std::string UserFolder(std::string& user, Reporting reporting);
    static std::string UserDataFile(const std::string& userFolder);
    // Starts the early read of the data file OpenUserData is about to open.
    void ReadUserDataEarly();
    void ShowMessage(const QString& text);
    // Tells other processes, through the lock file, the socket, the data
    // file that is open and the trace log.
    void RecordInstance();
    // Asks the lock's holder, at the socket its lock file names, to come to
    // the front; true once it answered.
    bool ActivateRunningCopy();
    // Shows the start-up failure and marks the start as failed.
    bool FailStart(const QString& text);
    // The reload could keep the unsaved edits nowhere: they stay open.
    void KeepUnsavedEdits(const QStringList& closed);
    // The one text a reload leaves in the status bar: its outcome, and the
    // dialogs it closed.
    void ShowReloadStatus(const QString& outcome, const QStringList& closed);

    class SwitchScope;

    static CTvDeskApp* s_instance;

    UserManagerLoader m_loadUserManager;
    FileTraceLog m_log;
    std::unique_ptr<IUserManager> m_userManager;
    std::unique_ptr<CTvDeskDoc> m_document;
    // Keeps the document's changes on disk until they are saved.
    std::unique_ptr<CRecoveryJournal> m_journal;
    std::unique_ptr<CMainFrame> m_mainFrame;
    // Held from FirstInstance() to the end; the server listens only under it.
    InstanceLock m_instanceLock{InstanceLockPath().toStdString()};
    std::unique_ptr<HandOverServer> m_server;
    std::unique_ptr<TerminationSignals> m_termination;
    // Announces due service at start and after each reload.
    std::unique_ptr<CServiceReminder> m_reminder;
    bool m_settingsLoaded = false;
    bool m_startFailed = false;
    // The file this copy was started on, to tell the running copy when it
    // has another one open.
    QString m_requestedFile;
    // The lock, the socket and the trace log are no output's target.
    std::unique_ptr<OutputGuard::Registration> m_programFiles;
    // The file named on the command line while the program shows it rather
    // than a Palm user's data; a reload reads it again.
    std::string m_commandLineFile;
    // The read ReadEarly or ReadUserDataEarly started, until the first open
    // takes it or not.
    std::unique_ptr<EarlyRead> m_earlyRead;
    // Opens and user switches under way, and a reload waiting for their end
    // with the dialogs it closed (see SwitchScope).
    int m_switching = 0;
    bool m_reloadWaiting = false;
    // Between HotSync requests 1 and 2.
    bool m_hotSyncInProgress = false;
    QStringList m_closedByReload;
};
