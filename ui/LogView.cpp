#include "LogView.h"

#include "TvDeskDoc.h"

#include <QHeaderView>

CLogView::CLogView(CTvDeskDoc& document, QWidget* parent)
    : CListViewEx(parent), m_document(document) {
    setModel(&m_columnsOnly);
    // The last column takes the width the others leave.
    header()->setStretchLastSection(true);
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

void CLogView::OnFilterChanged(int, int) {}

void CLogView::OnFilePrint() {}

void CLogView::OnFilePrintPreview() {}

void CLogView::Fill() {}

bool CLogView::Metric() const {
    return m_document.Trips().UsesKilometres();
}
