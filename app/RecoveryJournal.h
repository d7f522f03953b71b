#pragma once

#include "ChangeJournal.h"
#include "OutputGuard.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class CTvDeskDoc;
class QWidget;
struct DocumentChange;

// What a change of the document touched, as the journal's writer is told of it.
std::vector<ChangeJournal::StoreNote> JournalNotesOf(const DocumentChange& change);

// The recovery journal of the open data file (see ChangeJournal.h), in the
// program's data folder, one per data file, named by a hash of the file's
// path. Every change of the document is on disk in it within a second or
// so; a save that writes the data file starts it afresh (the file then
// holds everything), and so does a clean end. After a crash, the next start
// on the same data file offers the changes back.
class CRecoveryJournal : public QObject {
    Q_OBJECT
public:
    explicit CRecoveryJournal(CTvDeskDoc& document, QObject* parent = nullptr);
    ~CRecoveryJournal() override;

    // Right after the data file was read: a journal that a program that did
    // not end normally left for it is offered (restored into the document,
    // or saved as a file of its own when the data file was changed since),
    // then a new journal follows the document.
    void Begin(QWidget* dialogParent);
    // The program ends: the journal goes when the data is saved, else it is
    // written out in full and stays for the next start.
    void End();

    // The folder of the journals.
    static QString Folder();

signals:
    // Changes are not being journaled; text says why, for the status bar.
    void failed(const QString& text);

private:
    // Lets go of the document's stores: see End().
    void Detach();
    void OnMarkedClean();
    void Start();
    void RemoveFiles();
    // Offers the journal found for the document; false when the question was
    // closed unanswered (a HotSync reload), the journal then left alone.
    bool Offer(QWidget* parent);
    bool SaveRecovered(ChangeJournal::Contents& contents, QWidget* parent);
    std::vector<OutputGuard::ProtectedFile> ProtectedFiles() const;

    CTvDeskDoc& m_document;
    std::unique_ptr<ChangeJournal::Writer> m_writer;
    std::optional<ChangeJournal::Writer::Place> m_place;
    // The journal and its base are no output's target.
    OutputGuard::Registration m_protection{[this] { return ProtectedFiles(); }};
};
