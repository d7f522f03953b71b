#pragma once

#include "ImportSession.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CRecordHold;
class CTvDeskDoc;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

// The file dialog's filter for the files the import reads.
extern const char* const kImportFileFilter;

// File > Import's dialog over one file: the log to fill, the delimiter and
// encoding of a text file or the sheet of a workbook, the first rows as a
// table with the field of each column (guessed, one combo box per column),
// the date order when every date reads both ways, the units of the file,
// the vehicle of rows that name none, whether to create unknown names and
// keep duplicates. "Check Rows" checks every row (with progress) and lists
// what would be added, the bad rows and duplicates with their lines and the
// names to be created; Import accepts that check. Nothing changes the data
// here: the caller adds the check's rows once the dialog was accepted.
class CImportDialog : public QDialog {
    Q_OBJECT

public:
    // Opens the file; raises MExcept when it cannot be read.
    CImportDialog(CTvDeskDoc& document, const CRecordHold& hold, const QString& path, ImportLog log,
                  QWidget* parent);
    ~CImportDialog() override;

    ImportLog Log() const { return m_session->Options().log; }
    // The check Import was pressed on; its records go to the caller.
    ImportCheck TakeCheck();

    void accept() override;

private:
    // Opens the file anew with the source controls' choices; on a failure
    // says why and keeps the file as it was read before.
    bool Reopen(const std::string& path);
    void ShowSession();
    void FillTable();
    void ShowFields();
    void AskDateOrderIfNeeded();
    void ChooseField(int column, int index);
    // Forgets the check: any choice can change its outcome.
    void Invalidate();
    void PassChoices();
    void CheckRows();
    void ShowCheck();
    void FollowFocus(QWidget* now);

    CTvDeskDoc& m_document;
    const CRecordHold& m_hold;
    std::string m_path;
    QString m_fileName;
    std::unique_ptr<ImportSession> m_session;
    std::optional<ImportCheck> m_check;
    // The field a column's box took from another column with its last choice.
    struct Taken {
        std::size_t from;
        std::size_t by;
        ImportField field;
    };
    std::optional<Taken> m_taken;
    bool m_unitsChosen = false;
    bool m_askDateOrder = false;

    QLineEdit* m_fileEdit = nullptr;
    QComboBox* m_logBox = nullptr;
    QLabel* m_delimiterLabel = nullptr;
    QComboBox* m_delimiterBox = nullptr;
    QLabel* m_encodingLabel = nullptr;
    QComboBox* m_encodingBox = nullptr;
    QLabel* m_sheetLabel = nullptr;
    QComboBox* m_sheetBox = nullptr;
    QLabel* m_tableLabel = nullptr;
    QTableWidget* m_table = nullptr;
    std::vector<QComboBox*> m_fieldBoxes;
    QLabel* m_dateOrderLabel = nullptr;
    QComboBox* m_dateOrderBox = nullptr;
    QLabel* m_dateOrderHint = nullptr;
    QComboBox* m_unitsBox = nullptr;
    QLabel* m_vehicleLabel = nullptr;
    QComboBox* m_vehicleBox = nullptr;
    QCheckBox* m_createNames = nullptr;
    QCheckBox* m_keepDuplicates = nullptr;
    QLabel* m_summary = nullptr;
    QLabel* m_names = nullptr;
    QListWidget* m_verdicts = nullptr;
    QPushButton* m_checkButton = nullptr;
    QPushButton* m_importButton = nullptr;
};
