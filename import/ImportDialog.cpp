#include "ImportDialog.h"

#include "AnsiText.h"
#include "FileDialog.h"
#include "ImportProgressDialog.h"
#include "MessageBox.h"
#include "RecordHold.h"
#include "TvDeskDoc.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace {

struct LogChoice {
    ImportLog log;
    const char* title;
};
constexpr LogChoice kLogs[] = {
    {ImportLog::Trips, "Trip Log"},
    {ImportLog::Expenses, "Expense Log"},
    {ImportLog::Services, "Service Log"},
    {ImportLog::Vehicles, "Vehicle List"},
};

struct DelimiterChoice {
    char delimiter;
    const char* title;
};
constexpr DelimiterChoice kDelimiters[] = {
    {',', "Comma"}, {';', "Semicolon"}, {'\t', "Tab"}, {':', "Colon"}};

// The widest a column of the table starts; the user may widen it.
constexpr int kMostColumnWidth = 220;

const char* FieldTitle(ImportField field) {
    switch (field) {
    case ImportField::Ignore:
        return "(Ignore)";
    case ImportField::Date:
        return "Date";
    case ImportField::StartDate:
        return "Start Date";
    case ImportField::EndDate:
        return "End Date";
    case ImportField::StartOdometer:
        return "Start Odometer";
    case ImportField::EndOdometer:
        return "End Odometer";
    case ImportField::Odometer:
        return "Odometer";
    case ImportField::Distance:
        return "Distance";
    case ImportField::Destination:
        return "Destination";
    case ImportField::Vendor:
        return "Vendor";
    case ImportField::Description:
        return "Description";
    case ImportField::Cost:
        return "Cost";
    case ImportField::Volume:
        return "Volume";
    case ImportField::PricePerUnit:
        return "Price per Unit";
    case ImportField::Category:
        return "Category";
    case ImportField::Vehicle:
        return "Vehicle";
    case ImportField::Note:
        return "Note";
    case ImportField::Completed:
        return "Completed";
    case ImportField::ServiceType:
        return "Service Type";
    case ImportField::Name:
        return "Name";
    case ImportField::License:
        return "License";
    case ImportField::Vin:
        return "VIN";
    case ImportField::Insurance:
        return "Insurance";
    }
    return "";
}

QString CellText(const ImportCell& cell) {
    switch (cell.kind) {
    case ImportCell::Kind::Text:
        return AnsiText::ToQString(cell.text);
    case ImportCell::Kind::Number:
        return QString::number(cell.number, 'g', 15);
    case ImportCell::Kind::Empty:
        break;
    }
    return QString();
}

QString Grouped(std::size_t count) {
    return QString::fromStdString(GroupedNumber(static_cast<long long>(count)));
}

QString Names(const std::vector<std::string>& names) {
    QStringList texts;
    for (const std::string& name : names)
        texts << AnsiText::ToQString(name);
    return texts.join(", ");
}

// Runs work, turning what it raises into a message box: false after one.
template <typename Work> bool Guarded(QWidget* parent, const CRecordHold& hold, Work work) {
    QString why;
    try {
        work();
        return true;
    } catch (const MExcept& failure) {
        why = QString::fromUtf8(failure.Message());
    } catch (const std::bad_alloc&) {
        why = "There is not enough memory for this file.";
    } catch (const std::exception& failure) {
        why = QString::fromUtf8(failure.what());
    }
    // A reload meanwhile closes the dialog: nothing more to say.
    if (!hold.Lost())
        MessageBox::warning(parent, why, "Import");
    return false;
}

} // namespace

const char* const kImportFileFilter =
    "Spreadsheets and text files (*.csv *.txt *.tsv *.tab *.xls *.xlsx);;All files (*)";

CImportDialog::CImportDialog(CTvDeskDoc& document, const CRecordHold& hold, const QString& path,
                             ImportLog log, QWidget* parent)
    : QDialog(parent), m_document(document), m_hold(hold), m_path(path.toStdString()),
      m_fileName(QFileInfo(path).fileName()) {
    ImportOptions options;
    options.log = log;
    m_session = std::make_unique<ImportSession>(m_path, options);

    setObjectName("importDialog");
    setWindowTitle("Import");
    auto* layout = new QVBoxLayout(this);

    // The file and how it is read.
    auto* source = new QGroupBox("Source", this);
    auto* sourceGrid = new QGridLayout(source);
    auto* fileLabel = new QLabel("&File:", source);
    m_fileEdit = new QLineEdit(path, source);
    m_fileEdit->setObjectName("fileEdit");
    m_fileEdit->setReadOnly(true);
    fileLabel->setBuddy(m_fileEdit);
    auto* browse = new QPushButton("&Browse...", source);
    browse->setObjectName("browseButton");
    browse->setAutoDefault(false);
    sourceGrid->addWidget(fileLabel, 0, 0);
    sourceGrid->addWidget(m_fileEdit, 0, 1, 1, 4);
    sourceGrid->addWidget(browse, 0, 5);

    auto* logLabel = new QLabel("Import into &log:", source);
    m_logBox = new QComboBox(source);
    m_logBox->setObjectName("logBox");
    for (const LogChoice& choice : kLogs)
        m_logBox->addItem(choice.title, static_cast<int>(choice.log));
    m_logBox->setCurrentIndex(m_logBox->findData(static_cast<int>(log)));
    logLabel->setBuddy(m_logBox);
    sourceGrid->addWidget(logLabel, 1, 0);
    sourceGrid->addWidget(m_logBox, 1, 1);

    m_delimiterLabel = new QLabel("&Delimiter:", source);
    m_delimiterBox = new QComboBox(source);
    m_delimiterBox->setObjectName("delimiterBox");
    for (const DelimiterChoice& choice : kDelimiters)
        m_delimiterBox->addItem(choice.title, static_cast<int>(choice.delimiter));
    m_delimiterLabel->setBuddy(m_delimiterBox);
    m_delimiterLabel->setContentsMargins(12, 0, 0, 0);
    m_encodingLabel = new QLabel("&Encoding:", source);
    m_encodingBox = new QComboBox(source);
    m_encodingBox->setObjectName("encodingBox");
    m_encodingBox->addItem("UTF-8", static_cast<int>(TextEncoding::Utf8));
    m_encodingBox->addItem("Windows-1252 (Western)", static_cast<int>(TextEncoding::Cp1252));
    m_encodingLabel->setBuddy(m_encodingBox);
    m_encodingLabel->setContentsMargins(12, 0, 0, 0);
    m_sheetLabel = new QLabel("S&heet:", source);
    m_sheetBox = new QComboBox(source);
    m_sheetBox->setObjectName("sheetBox");
    m_sheetLabel->setBuddy(m_sheetBox);
    m_sheetLabel->setContentsMargins(12, 0, 0, 0);
    sourceGrid->addWidget(m_delimiterLabel, 1, 2);
    sourceGrid->addWidget(m_delimiterBox, 1, 3);
    sourceGrid->addWidget(m_encodingLabel, 1, 4);
    sourceGrid->addWidget(m_encodingBox, 1, 5);
    sourceGrid->addWidget(m_sheetLabel, 1, 2);
    sourceGrid->addWidget(m_sheetBox, 1, 3, 1, 3);
    sourceGrid->setHorizontalSpacing(12);
    sourceGrid->setColumnStretch(1, 1);
    sourceGrid->setColumnStretch(3, 1);
    sourceGrid->setColumnStretch(5, 1);
    layout->addWidget(source);

    // The first rows, with the field of each column.
    // The table above, the options and the check's findings below, with a
    // splitter between them.
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    auto* top = new QWidget(splitter);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    auto* bottom = new QWidget(splitter);
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    m_tableLabel = new QLabel(top);
    topLayout->addWidget(m_tableLabel);
    m_table = new QTableWidget(top);
    m_table->setObjectName("previewTable");
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->setAlternatingRowColors(true);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    m_table->setMinimumHeight(9 * (fontMetrics().height() + 8));
    topLayout->addWidget(m_table);

    // How the rows are read.
    auto* choices = new QGroupBox("Options", bottom);
    auto* choiceGrid = new QGridLayout(choices);
    m_dateOrderLabel = new QLabel("Date &order:", choices);
    m_dateOrderBox = new QComboBox(choices);
    m_dateOrderBox->setObjectName("dateOrderBox");
    m_dateOrderBox->addItem("Month/Day/Year (12/01 is December 1)",
                            static_cast<int>(DateOrder::MonthDayYear));
    m_dateOrderBox->addItem("Day/Month/Year (12/01 is 12 January)",
                            static_cast<int>(DateOrder::DayMonthYear));
    m_dateOrderLabel->setBuddy(m_dateOrderBox);
    m_dateOrderHint = new QLabel("(every date of the file reads either way)", choices);
    choiceGrid->addWidget(m_dateOrderLabel, 0, 0);
    choiceGrid->addWidget(m_dateOrderBox, 0, 1);
    choiceGrid->addWidget(m_dateOrderHint, 0, 2, 1, 2);

    auto* unitsLabel = new QLabel("&Units of the file:", choices);
    m_unitsBox = new QComboBox(choices);
    m_unitsBox->setObjectName("unitsBox");
    m_unitsBox->addItem("Miles and gallons", false);
    m_unitsBox->addItem("Kilometers and liters", true);
    unitsLabel->setBuddy(m_unitsBox);
    choiceGrid->addWidget(unitsLabel, 1, 0);
    choiceGrid->addWidget(m_unitsBox, 1, 1);
    m_unitsBox->setToolTip(document.Trips().UsesKilometres()
                               ? "Other units are converted to kilometers and liters."
                               : "Other units are converted to miles and gallons.");

    m_vehicleLabel = new QLabel("Default &vehicle:", choices);
    m_vehicleBox = new QComboBox(choices);
    m_vehicleBox->setObjectName("vehicleBox");
    m_vehicleBox->setEditable(true);
    m_vehicleBox->setInsertPolicy(QComboBox::NoInsert);
    m_vehicleBox->addItem(QString());
    for (const VehicleRecord& vehicle : document.Vehicles().Records())
        if (!vehicle.IsDeleted())
            m_vehicleBox->addItem(AnsiText::ToQString(vehicle.Name.View()));
    if (document.SelectedVehicle != nullptr)
        m_vehicleBox->setCurrentText(AnsiText::ToQString(document.SelectedVehicle->Name.View()));
    else if (m_vehicleBox->count() == 2)
        m_vehicleBox->setCurrentIndex(1);
    m_vehicleLabel->setBuddy(m_vehicleBox);
    choiceGrid->addWidget(m_vehicleLabel, 2, 0);
    choiceGrid->addWidget(m_vehicleBox, 2, 1);
    m_vehicleBox->setToolTip("The vehicle of the rows that name none");

    m_createNames =
        new QCheckBox("Create the &new vehicles and service types the file names", choices);
    m_createNames->setObjectName("createNamesBox");
    m_keepDuplicates = new QCheckBox("&Keep rows that duplicate a record of the log", choices);
    m_keepDuplicates->setObjectName("keepDuplicatesBox");
    choiceGrid->addWidget(m_createNames, 1, 3);
    choiceGrid->addWidget(m_keepDuplicates, 2, 3);
    choiceGrid->setColumnMinimumWidth(2, 24);
    choiceGrid->setColumnStretch(3, 1);
    bottomLayout->addWidget(choices);

    // What the check found.
    auto* results = new QGroupBox("Check", bottom);
    auto* resultLayout = new QVBoxLayout(results);
    m_summary = new QLabel(results);
    m_summary->setObjectName("summaryLabel");
    m_summary->setWordWrap(true);
    m_names = new QLabel(results);
    m_names->setObjectName("namesLabel");
    m_names->setWordWrap(true);
    auto* verdictLabel = new QLabel("&Skipped rows:", results);
    m_verdicts = new QListWidget(results);
    m_verdicts->setObjectName("verdictList");
    verdictLabel->setBuddy(m_verdicts);
    m_verdicts->setMinimumHeight(4 * (fontMetrics().height() + 8));
    resultLayout->addWidget(m_summary);
    resultLayout->addWidget(m_names);
    resultLayout->addWidget(verdictLabel);
    resultLayout->addWidget(m_verdicts);
    bottomLayout->addWidget(results, 1);
    layout->addWidget(splitter, 1);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({480, 300});

    // Check Rows apart on the left; Import and Cancel close the dialog.
    auto* buttonRow = new QHBoxLayout;
    m_checkButton = new QPushButton("Check &Rows", this);
    m_checkButton->setObjectName("checkButton");
    buttonRow->addWidget(m_checkButton);
    buttonRow->addStretch(1);
    auto* buttons = new QDialogButtonBox(this);
    m_importButton = buttons->addButton("&Import", QDialogButtonBox::AcceptRole);
    m_importButton->setObjectName("importButton");
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName("cancelButton");
    cancel->setText("&Cancel");
    buttonRow->addWidget(buttons);
    layout->addLayout(buttonRow);

    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = FileDialog::getOpenFileName(
            this, "Import", QFileInfo(QString::fromStdString(m_path)).path(), kImportFileFilter);
        if (chosen.isEmpty() || m_hold.Lost())
            return;
        Reopen(chosen.toStdString());
    });
    for (QComboBox* box : {m_logBox, m_delimiterBox, m_encodingBox, m_sheetBox})
        connect(box, &QComboBox::activated, this, [this] { Reopen(m_path); });
    connect(m_dateOrderBox, &QComboBox::activated, this, [this] { Invalidate(); });
    connect(m_unitsBox, &QComboBox::activated, this, [this] {
        m_unitsChosen = true;
        Invalidate();
    });
    connect(m_vehicleBox, &QComboBox::editTextChanged, this, [this] { Invalidate(); });
    connect(m_createNames, &QCheckBox::toggled, this, [this] { Invalidate(); });
    connect(m_keepDuplicates, &QCheckBox::toggled, this, [this] { Invalidate(); });
    connect(m_checkButton, &QPushButton::clicked, this, &CImportDialog::CheckRows);
    connect(buttons, &QDialogButtonBox::accepted, this, &CImportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CImportDialog::reject);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { FollowFocus(now); });

    ShowSession();
    resize(980, 820);
}

CImportDialog::~CImportDialog() = default;

ImportCheck CImportDialog::TakeCheck() {
    ImportCheck check = m_check ? std::move(*m_check) : ImportCheck();
    m_check.reset();
    return check;
}

void CImportDialog::accept() {
    if (!m_check || m_check->Accepted() == 0 || m_hold.Lost())
        return;
    QDialog::accept();
}

bool CImportDialog::Reopen(const std::string& path) {
    ImportOptions options;
    options.log = static_cast<ImportLog>(m_logBox->currentData().toInt());
    // Another file starts from its own findings and its first sheet.
    const bool sameFile = path == m_path;
    if (sameFile && m_session->Delimiter()) {
        options.text.delimiter = static_cast<char>(m_delimiterBox->currentData().toInt());
        options.text.encoding = static_cast<TextEncoding>(m_encodingBox->currentData().toInt());
    }
    if (sameFile && !m_session->SheetNames().empty())
        options.sheet = AnsiText::FromQString(m_sheetBox->currentText());
    if (m_unitsChosen)
        options.sourceMetric = m_unitsBox->currentData().toBool();
    std::unique_ptr<ImportSession> opened;
    const bool ok =
        Guarded(this, m_hold, [&] { opened = std::make_unique<ImportSession>(path, options); });
    if (ok) {
        m_session = std::move(opened);
        m_path = path;
        m_fileName = QFileInfo(QString::fromStdString(path)).fileName();
        m_fileEdit->setText(QString::fromStdString(path));
    }
    // On a failure the controls go back to the file as it was read before.
    ShowSession();
    return ok;
}

void CImportDialog::ShowSession() {
    const ImportOptions& options = m_session->Options();
    m_logBox->setCurrentIndex(m_logBox->findData(static_cast<int>(options.log)));
    const bool text = m_session->Delimiter().has_value();
    for (QWidget* widget :
         {static_cast<QWidget*>(m_delimiterLabel), static_cast<QWidget*>(m_delimiterBox),
          static_cast<QWidget*>(m_encodingLabel), static_cast<QWidget*>(m_encodingBox)})
        widget->setVisible(text);
    if (text) {
        m_delimiterBox->setCurrentIndex(
            m_delimiterBox->findData(static_cast<int>(*m_session->Delimiter())));
        m_encodingBox->setCurrentIndex(
            m_encodingBox->findData(static_cast<int>(*m_session->Encoding())));
    }
    const std::vector<std::string>& sheets = m_session->SheetNames();
    m_sheetLabel->setVisible(!sheets.empty());
    m_sheetBox->setVisible(!sheets.empty());
    m_sheetBox->clear();
    for (const std::string& sheet : sheets)
        m_sheetBox->addItem(AnsiText::ToQString(sheet));
    const auto chosen = std::find(sheets.begin(), sheets.end(), options.sheet);
    m_sheetBox->setCurrentIndex(options.sheet.empty() || chosen == sheets.end()
                                    ? 0
                                    : static_cast<int>(std::distance(sheets.begin(), chosen)));

    const bool metric = options.sourceMetric.value_or(m_document.Trips().UsesKilometres());
    m_unitsBox->setCurrentIndex(metric ? 1 : 0);
    const bool names = options.log != ImportLog::Vehicles;
    m_vehicleLabel->setEnabled(names);
    m_vehicleBox->setEnabled(names);
    m_createNames->setEnabled(names);

    FillTable();
    AskDateOrderIfNeeded();
    Invalidate();
}

void CImportDialog::FillTable() {
    m_taken.reset();
    const std::vector<ImportRow>& rows = m_session->Preview();
    const std::size_t columns = m_session->Fields().size();
    m_table->clear();
    m_fieldBoxes.clear();
    m_table->setColumnCount(static_cast<int>(columns));
    m_table->setRowCount(static_cast<int>(rows.size() + 1));
    QStringList rowTitles{"Field"};
    const bool header = m_session->HasHeaderRow();
    for (std::size_t i = 0; i < rows.size(); ++i)
        rowTitles << (header && i == 0 ? QString("Header") : QString::number(header ? i : i + 1));
    m_table->setVerticalHeaderLabels(rowTitles);
    QStringList columnTitles;
    for (std::size_t column = 0; column < columns; ++column)
        columnTitles << QString("Column %1").arg(column + 1);
    m_table->setHorizontalHeaderLabels(columnTitles);

    QFont bold = m_table->font();
    bold.setBold(true);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t column = 0; column < rows[i].size(); ++column) {
            auto* item = new QTableWidgetItem(CellText(rows[i][column]));
            if (header && i == 0)
                item->setFont(bold);
            if (rows[i][column].kind == ImportCell::Kind::Number)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(static_cast<int>(i + 1), static_cast<int>(column), item);
        }
    }
    const std::vector<ImportField>& fields = FieldsOfLog(m_session->Options().log);
    for (std::size_t column = 0; column < columns; ++column) {
        auto* box = new QComboBox;
        box->setObjectName(QString("fieldBox%1").arg(column + 1));
        box->setAccessibleName(QString("Field of column %1").arg(column + 1));
        for (const ImportField field : fields)
            box->addItem(FieldTitle(field), static_cast<int>(field));
        const int index = static_cast<int>(column);
        connect(box, &QComboBox::activated, this,
                [this, index](int chosen) { ChooseField(index, chosen); });
        m_table->setCellWidget(0, index, box);
        m_fieldBoxes.push_back(box);
    }
    ShowFields();
    m_table->resizeColumnsToContents();
    // Each column as wide as its cells or its field's box, within reason.
    for (int column = 0; column < m_table->columnCount(); ++column)
        m_table->setColumnWidth(
            column,
            std::min(std::max(m_table->columnWidth(column),
                              m_fieldBoxes[static_cast<std::size_t>(column)]->sizeHint().width()),
                     kMostColumnWidth));
    if (!m_fieldBoxes.empty())
        m_table->setRowHeight(0, m_fieldBoxes.front()->sizeHint().height() + 2);
    // The column boxes follow one another in the focus chain, after the sheet.
    QWidget* before = m_sheetBox;
    for (QComboBox* box : m_fieldBoxes) {
        setTabOrder(before, box);
        before = box;
    }
    if (!m_fieldBoxes.empty())
        setTabOrder(before, m_dateOrderBox);

    m_tableLabel->setText(
        QString("Colu&mns (the first %1 rows of %2; choose the field of each column):")
            .arg(rows.size())
            .arg(m_fileName));
    m_tableLabel->setBuddy(m_fieldBoxes.empty() ? nullptr : m_fieldBoxes.front());
}

void CImportDialog::ShowFields() {
    const std::vector<ImportField>& fields = m_session->Fields();
    for (std::size_t column = 0; column < m_fieldBoxes.size(); ++column) {
        QComboBox* box = m_fieldBoxes[column];
        const ImportField field = column < fields.size() ? fields[column] : ImportField::Ignore;
        box->setCurrentIndex(std::max(0, box->findData(static_cast<int>(field))));
    }
}

void CImportDialog::ChooseField(int column, int index) {
    const auto field = static_cast<ImportField>(m_fieldBoxes[column]->itemData(index).toInt());
    const auto at = static_cast<std::size_t>(column);
    // The arrow keys choose each field of a box in turn: what the box's last
    // choice took from another column goes back to it, so that stepping
    // past a field does not take it away.
    const std::vector<ImportField>& fields = m_session->Fields();
    if (m_taken && m_taken->by == at && field != m_taken->field && at < fields.size() &&
        fields[at] == m_taken->field && m_taken->from < fields.size() &&
        fields[m_taken->from] == ImportField::Ignore)
        m_session->SetField(m_taken->from, m_taken->field);
    m_taken.reset();
    const auto holder = std::find(fields.begin(), fields.end(), field);
    if (field != ImportField::Ignore && holder != fields.end() &&
        static_cast<std::size_t>(holder - fields.begin()) != at)
        m_taken = Taken{static_cast<std::size_t>(holder - fields.begin()), at, field};
    m_session->SetField(at, field);
    ShowFields();
    AskDateOrderIfNeeded();
    Invalidate();
}

void CImportDialog::AskDateOrderIfNeeded() {
    m_session->SetDateOrder(std::nullopt);
    m_askDateOrder = false;
    Guarded(this, m_hold, [this] { m_askDateOrder = m_session->NeedsDateOrder(); });
    for (QWidget* widget :
         {static_cast<QWidget*>(m_dateOrderLabel), static_cast<QWidget*>(m_dateOrderBox),
          static_cast<QWidget*>(m_dateOrderHint)})
        widget->setVisible(m_askDateOrder);
}

void CImportDialog::Invalidate() {
    m_check.reset();
    m_verdicts->clear();
    m_summary->setText(
        QString("Press Check Rows to check every row of %1 before anything is imported.")
            .arg(m_fileName));
    m_names->clear();
    m_names->hide();
    m_importButton->setEnabled(false);
    m_checkButton->setDefault(true);
}

void CImportDialog::PassChoices() {
    if (m_askDateOrder)
        m_session->SetDateOrder(static_cast<DateOrder>(m_dateOrderBox->currentData().toInt()));
    m_session->SetSourceMetric(m_unitsBox->currentData().toBool());
    m_session->SetDefaultVehicle(AnsiText::FromQString(m_vehicleBox->currentText().trimmed()));
    m_session->SetCreateNames(m_createNames->isChecked());
    m_session->SetKeepDuplicates(m_keepDuplicates->isChecked());
}

void CImportDialog::CheckRows() {
    Invalidate();
    PassChoices();
    ImportCheck check;
    const bool ok = Guarded(this, m_hold, [&] {
        CImportProgressDialog progress(m_hold, this,
                                       QString("Checking the rows of %1...").arg(m_fileName));
        check = m_session->Check(m_document, &progress);
    });
    if (!ok || m_hold.Lost())
        return;
    if (check.stopped) {
        m_summary->setText("The check was cancelled; nothing was imported.");
        return;
    }
    m_check = std::move(check);
    ShowCheck();
}

void CImportDialog::ShowCheck() {
    const ImportCheck& check = *m_check;
    const ImportLog log = m_session->Options().log;
    QStringList parts;
    parts << QString("%1 rows read: %2 to import")
                 .arg(Grouped(check.rows))
                 .arg(QString::fromStdString(RecordCountText(log, check.Accepted())));
    if (check.bad != 0)
        parts << QString("%1 bad %2 skipped")
                     .arg(Grouped(check.bad), check.bad == 1 ? "row" : "rows");
    const std::size_t skipped = check.duplicates - check.keptDuplicates;
    if (skipped != 0)
        parts << QString("%1 %2 skipped")
                     .arg(Grouped(skipped), skipped == 1 ? "duplicate" : "duplicates");
    if (check.keptDuplicates != 0)
        parts << QString("%1 %2 kept")
                     .arg(Grouped(check.keptDuplicates),
                          check.keptDuplicates == 1 ? "duplicate" : "duplicates");
    QString summary = parts.join(", ") + ".";
    if (check.Accepted() == 0)
        summary += " Nothing can be imported.";
    m_summary->setText(summary);

    QStringList names;
    if (!check.newVehicles.empty())
        names << "New vehicles to create: " + Names(check.newVehicles) + ".";
    if (!check.newServiceTypes.empty())
        names << "New service types to create: " + Names(check.newServiceTypes) + ".";
    if (!check.newCategories.empty())
        names << "New categories to create: " + Names(check.newCategories) + ".";
    if (!check.unfiledCategories.empty())
        names << "The category list is full (16 entries): the rows of " +
                     Names(check.unfiledCategories) + " go to Unfiled.";
    m_names->setText(names.join("\n"));
    m_names->setVisible(!names.isEmpty());

    const QIcon bad = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const QIcon duplicate = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    m_verdicts->setUpdatesEnabled(false);
    for (const RowVerdict& verdict : check.verdicts) {
        auto* item = new QListWidgetItem(verdict.kind == RowVerdict::Kind::Bad ? bad : duplicate,
                                         AnsiText::ToQString(verdict.text), m_verdicts);
        item->setToolTip(verdict.kind == RowVerdict::Kind::Bad ? "Not imported: the row is bad"
                                                               : "A duplicate of a record");
    }
    const std::size_t unlisted = check.bad + check.duplicates - check.verdicts.size();
    if (unlisted != 0)
        new QListWidgetItem(QString("and %1 more rows").arg(Grouped(unlisted)), m_verdicts);
    m_verdicts->setUpdatesEnabled(true);

    m_importButton->setEnabled(check.Accepted() != 0);
    if (check.Accepted() != 0)
        m_importButton->setDefault(true);
}

void CImportDialog::FollowFocus(QWidget* now) {
    const auto found = std::find(m_fieldBoxes.begin(), m_fieldBoxes.end(), now);
    // A field taken by a box stays taken once the box is left.
    if (m_taken && (found == m_fieldBoxes.end() ||
                    static_cast<std::size_t>(found - m_fieldBoxes.begin()) != m_taken->by))
        m_taken.reset();
    if (found != m_fieldBoxes.end())
        m_table->scrollTo(m_table->model()->index(
            0, static_cast<int>(std::distance(m_fieldBoxes.begin(), found))));
}
