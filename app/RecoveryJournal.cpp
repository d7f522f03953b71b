#include "RecoveryJournal.h"

#include "MessageBox.h"
#include "TvDeskDoc.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

std::vector<ChangeJournal::StoreNote> JournalNotesOf(const DocumentChange& change) {
    std::vector<ChangeJournal::StoreNote> notes;
    for (const StoreChange& store : change.stores) {
        ChangeJournal::StoreNote note;
        note.store = static_cast<std::size_t>(store.kind);
        for (const IndexRuns* runs : {&store.added, &store.changed})
            for (const IndexRuns::Run& run : runs->Runs())
                note.records.emplace_back(run.first, run.count);
        if (store.removedFrom != StoreChange::kNothingRemoved)
            note.cutTo = store.removedFrom;
        note.header = store.categories || store.settings || store.idCounter;
        notes.push_back(std::move(note));
    }
    return notes;
}

namespace {

// A name of the data file's own: the same path always gives the same one.
QString JournalName(const QString& dataPath) {
    const QString canonical = QFileInfo(dataPath).canonicalFilePath();
    const QByteArray path = QFile::encodeName(canonical.isEmpty() ? dataPath : canonical);
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (char byte : path) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ull;
    }
    return QString("journal-%1").arg(hash, 16, 16, QChar('0'));
}

QString ChangeTime(long long seconds) {
    return QLocale::system().toString(QDateTime::fromSecsSinceEpoch(seconds), QLocale::ShortFormat);
}

const char* const kDamagedText =
    "The recovery journal was damaged after that time: later changes could not be restored.";

} // namespace

CRecoveryJournal::CRecoveryJournal(CTvDeskDoc& document, QObject* parent)
    : QObject(parent), m_document(document) {
    m_document.SetChangeListener([this](const DocumentChange& change) {
        if (m_writer != nullptr)
            m_writer->Note(JournalNotesOf(change));
    });
    connect(&m_document, &CTvDeskDoc::contentsCleared, this, &CRecoveryJournal::Detach);
    connect(&m_document, &CTvDeskDoc::markedClean, this, &CRecoveryJournal::OnMarkedClean);
}

CRecoveryJournal::~CRecoveryJournal() {
    End();
    m_document.SetChangeListener(nullptr);
}

QString CRecoveryJournal::Folder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

void CRecoveryJournal::Begin(QWidget* dialogParent) {
    Detach();
    m_place.reset();
    const std::optional<FileIdentity>& identity = m_document.FileIdentityRead();
    if (m_document.PathName().empty() || !identity)
        return;
    const QString folder = Folder();
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        emit failed(QString("Changes are not kept in a recovery journal: the folder %1 cannot be "
                            "made.")
                        .arg(folder));
        return;
    }
    const QString dataPath = QString::fromStdString(m_document.PathName());
    const QString name = folder + "/" + JournalName(dataPath);
    m_place = ChangeJournal::Writer::Place{QFile::encodeName(name + ".tvj").toStdString(),
                                           QFile::encodeName(name + ".base").toStdString(),
                                           m_document.PathName(), *identity, 0};
    if (QFileInfo::exists(name + ".tvj") && !Offer(dialogParent))
        return;
    Start();
}

bool CRecoveryJournal::Offer(QWidget* parent) {
    std::optional<ChangeJournal::Contents> contents = ChangeJournal::Read(m_place->journalPath);
    if (!contents || contents->header.dataPath != m_place->dataPath || !contents->HasChanges()) {
        if (!contents || contents->damaged)
            MessageBox::warning(parent, QString("Tarvenly Desktop did not end normally, and its "
                                                "recovery journal of %1 is damaged: no changes "
                                                "could be restored from it.")
                                            .arg(QString::fromStdString(m_place->dataPath)));
        RemoveFiles();
        return true;
    }
    const QString when = ChangeTime(contents->changedAt);
    const QString damaged = contents->damaged ? QString("\n\n") + kDamagedText : QString();
    if (contents->header.base != m_place->base)
        return SaveRecovered(*contents, parent);
    const MessageBox::Button answer = MessageBox::ask(
        parent,
        QString("Tarvenly Desktop did not end normally. Restore the changes you made on %1?")
                .arg(when) +
            damaged,
        "&Restore", "&Discard");
    if (answer == MessageBox::NoButton)
        return false;
    if (answer == MessageBox::Yes) {
        const bool toldDamaged = contents->damaged;
        const bool applied = ChangeJournal::Apply(m_document, *contents);
        if (applied) {
            m_document.SetModifiedFlag(true);
            // Damage that only applying found: the changes up to it are back.
            if (contents->damaged && !toldDamaged)
                MessageBox::warning(parent,
                                    QString("Restored the changes made up to %1. %2")
                                        .arg(ChangeTime(contents->changedAt), kDamagedText));
            // The journal goes on from the changes restored.
            m_place->keepBytes = contents->validEnd;
            return true;
        }
        MessageBox::warning(parent, "The recovery journal is damaged: no changes could be "
                                    "restored from it.");
    }
    RemoveFiles();
    return true;
}

bool CRecoveryJournal::SaveRecovered(ChangeJournal::Contents& contents, QWidget* parent) {
    const QFileInfo data(QString::fromStdString(m_place->dataPath));
    const QString stamp =
        QDateTime::fromSecsSinceEpoch(contents.changedAt).toString("yyyyMMdd-HHmmss");
    const QString stem =
        data.absolutePath() + "/" + data.completeBaseName() + "-recovered-" + stamp;
    QString target = stem + ".tv";
    for (int number = 2; QFileInfo::exists(target); ++number)
        target = stem + "-" + QString::number(number) + ".tv";
    QString question =
        QString("Tarvenly Desktop did not end normally, and the data file %1 was changed since "
                "(by a HotSync), so the changes you made on %2 were not applied to it. Save "
                "them, with the data as it was before the HotSync, as %3?")
            .arg(data.filePath(), ChangeTime(contents.changedAt), target);
    if (contents.damaged)
        question += QString("\n\n") + kDamagedText;
    for (;;) {
        const MessageBox::Button answer = MessageBox::ask(parent, question, "&Save", "&Discard");
        if (answer == MessageBox::NoButton)
            return false;
        if (answer == MessageBox::No)
            break;
        TvDocument recovered;
        QString failure;
        bool lasting = true; // trying again cannot help
        if (FileIdentity::OfPath(m_place->basePath) != contents.header.base) {
            failure = "the copy of the data file the changes were made to is missing";
        } else if (!recovered.OnOpenDocument(m_place->basePath)) {
            failure = QString::fromStdString(recovered.LastError());
        } else if (!ChangeJournal::Apply(recovered, contents)) {
            failure = "the recovery journal is damaged";
        } else {
            lasting = false;
            if (!recovered.OnSaveDocument(QFile::encodeName(target).toStdString()))
                failure = QString::fromStdString(recovered.LastError());
        }
        if (failure.isEmpty()) {
            MessageBox::information(
                parent, QString("Your recovered changes were saved to %1. The data file %2 was "
                                "not changed; open the recovered file to compare.")
                            .arg(target, data.filePath()));
            break;
        }
        if (lasting) {
            MessageBox::warning(
                parent, QString("The recovered changes could not be saved: %1.").arg(failure));
            break;
        }
        question = QString("The recovered changes could not be saved to %1: %2\n\nTry again?")
                       .arg(target, failure);
    }
    RemoveFiles();
    return true;
}

void CRecoveryJournal::Start() {
    m_writer = std::make_unique<ChangeJournal::Writer>(
        m_document, m_document.StoresLockToRead(), *m_place, [this](const std::string& text) {
            const QString shown = QString("Changes are not kept in a recovery journal: %1.")
                                      .arg(QString::fromStdString(text));
            QMetaObject::invokeMethod(
                this, [this, shown] { emit failed(shown); }, Qt::QueuedConnection);
        });
}

void CRecoveryJournal::RemoveFiles() {
    if (!m_place)
        return;
    QFile::remove(QFile::decodeName(m_place->journalPath.c_str()));
    QFile::remove(QFile::decodeName(m_place->basePath.c_str()));
}

void CRecoveryJournal::OnMarkedClean() {
    // The data file holds everything once a save wrote it: the journal
    // starts again from the file as written.
    if (m_writer == nullptr || !m_place)
        return;
    const std::optional<FileIdentity>& identity = m_document.FileIdentityRead();
    if (!identity || *identity == m_place->base)
        return;
    m_writer->Remove();
    m_writer.reset();
    m_place->base = *identity;
    m_place->keepBytes = 0;
    Start();
}

void CRecoveryJournal::Detach() {
    if (m_writer == nullptr)
        return;
    // Unsaved changes stay in the journal, in full; saved ones need none.
    if (m_document.IsModified()) {
        m_writer->Flush();
        m_writer->Stop();
    } else {
        m_writer->Remove();
    }
    m_writer.reset();
}

void CRecoveryJournal::End() {
    Detach();
}

std::vector<OutputGuard::ProtectedFile> CRecoveryJournal::ProtectedFiles() const {
    if (!m_place)
        return {};
    // The base is (a link to) the data file as read: the save of the data
    // file itself may replace what it shares with it, nothing else may.
    return {{OutputGuard::Kind::ProgramFile, m_place->journalPath, std::nullopt},
            {OutputGuard::Kind::DataFile, m_place->basePath, std::nullopt}};
}
