#include "LogView.h"

#include "MessageBox.h"
#include "RecordHold.h"

#include "LogReport.h"
#include "ReportPrinting.h"
#include "SortCode.h"
#include "TvDeskDoc.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <algorithm>

CLogView::CLogView(CTvDeskDoc& document, int& sortCode, QWidget* parent)
    : CListViewEx(parent), m_document(document), m_sortCode(sortCode) {
    setModel(&m_columnsOnly);
    // The last column takes the width the others leave.
    header()->setStretchLastSection(true);
    header()->setSectionsClickable(true);
    connect(header(), &QHeaderView::sectionClicked, this, &CLogView::OnColumnClick);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            OnEditRow(index.row());
    });
    connect(&m_document, &CTvDeskDoc::contentsCleared, this, [this] { DropRows(); });
    connect(&m_document, &CTvDeskDoc::viewsUpdated, this, [this](QObject* sender, int hint) {
        if (sender != this)
            OnDocumentUpdate(hint);
    });
    connect(&m_document, &CTvDeskDoc::documentChanged, this, [this](const DocumentChange& change) {
        if (change.IsReplay())
            OnReplay(change);
    });
}

void CLogView::OnInitialUpdate() {
    window()->setWindowTitle(Title());
    RebuildColumnsAndRows();
}

void CLogView::RebuildColumnsAndRows() {
    auto* columns = static_cast<RecordTableModelBase*>(model());
    columns->SetColumns(MakeColumns(Metric()));
    for (std::size_t i = 0; i < columns->Columns().size(); ++i)
        header()->resizeSection(static_cast<int>(i), columns->Columns()[i].width);
    Fill();
}

ReportSettings CLogView::ReportSettingsOf(const ReportRate& rate) const {
    ReportSettings settings;
    settings.rate = rate.rate;
    settings.printRate = rate.printRate ? 1 : 0;
    settings.metric = Metric();
    settings.allDates = m_document.DisplayAllDates != 0;
    settings.from = m_document.FromDate;
    settings.to = m_document.ToDate;
    return settings;
}

void CLogView::OnFilePrint(QPrinter& printer, const ReportRate& rate) {
    if (!HasReport())
        return;
    ReportPrinting::Print(this, m_document, printer,
                          [this, rate] { return MakeReport(ReportSettingsOf(rate)); });
}

void CLogView::OnFilePrintPreview(QPrinter& printer, const ReportRate& rate) {
    if (!HasReport())
        return;
    ReportPrinting::Preview(this, m_document, printer,
                            [this, rate] { return MakeReport(ReportSettingsOf(rate)); });
}

std::unique_ptr<LogReport> CLogView::MakeReport(const ReportSettings&) {
    return nullptr;
}

void CLogView::OnEditRecord() {}

void CLogView::OnNewRecord() {}

void CLogView::OnDeleteRecords() {}

void CLogView::OnCategoryChange() {}

void CLogView::OnColumnClick(int column) {
    m_sortCode = SortCode::AfterColumnClick(m_sortCode, column);
    SortRows();
}

void CLogView::Fill() {}

void CLogView::SortRows() {}

void CLogView::DropRows() {}

void CLogView::OnDocumentUpdate(int) {
    Fill();
}

void CLogView::OnEditRow(int) {}

bool CLogView::Metric() const {
    return m_document.Trips().UsesKilometres();
}

std::vector<ListColumn> CLogView::ToListColumns(const LogColumns& columns) {
    std::vector<ListColumn> list;
    list.reserve(columns.size());
    for (const LogColumn& column : columns)
        list.push_back({QString::fromStdString(column.title), column.width});
    return list;
}

std::vector<int> CLogView::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CLogView::OnReplay(const DocumentChange&) {}

void CLogView::SelectAndReveal(const QItemSelection& selection, int first) {
    if (first < 0)
        return;
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    selectionModel()->setCurrentIndex(model()->index(first, 0), QItemSelectionModel::NoUpdate);
    scrollTo(model()->index(first, 0));
}

void CLogView::keyPressEvent(QKeyEvent* event) {
    // The Delete key runs the same command as Edit > Delete.
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier &&
        HasRecordCommands()) {
        OnDeleteRecords();
        return;
    }
    CListViewEx::keyPressEvent(event);
}

std::vector<int> CLogView::ConfirmedSelection(const QString& question) {
    CRecordHold hold(m_document);
    if (MessageBox::question(this, question, "Warning") != MessageBox::Yes || hold.Lost())
        return {};
    std::vector<int> rows = SelectedRows();
    if (rows.empty())
        MessageBox::warning(this, "Please select an item");
    return rows;
}

void CLogView::contextMenuEvent(QContextMenuEvent* event) {
    if (!HasRecordCommands())
        return;
    QMenu menu(this);
    menu.addAction("&Edit", this, &CLogView::OnEditRecord);
    menu.addAction("&New", this, &CLogView::OnNewRecord);
    menu.addAction("&Delete", this, &CLogView::OnDeleteRecords);
    if (HasCategoryChange())
        menu.addAction("&Category Change", this, &CLogView::OnCategoryChange);
    menu.exec(event->globalPos());
}
