#include "RecordHold.h"

#include "ModalDialog.h"
#include "TvDeskDoc.h"

CRecordHold::CRecordHold(CTvDeskDoc& document) {
    // contentsCleared comes before the stores are emptied; the document
    // closes the dialogs then.
    m_emptied =
        QObject::connect(&document, &CTvDeskDoc::contentsCleared, [this] { m_lost = true; });
}

CRecordHold::~CRecordHold() {
    QObject::disconnect(m_emptied);
}

int CRecordHold::Exec(QDialog& dialog) {
    const int result = ModalDialog::exec(dialog);
    return m_lost ? QDialog::Rejected : result;
}
