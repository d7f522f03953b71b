#include "SettingsDialog.h"

#include "DialogButtons.h"
#include "MainFrame.h"
#include "RecordStore.h"
#include "TvDeskApp.h"
#include "TvDeskDoc.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr char kDelimiters[] = {'\t', ',', ':', ';'};

QGroupBox* RadioGroup(const QString& title, const QStringList& labels, QButtonGroup* group,
                      QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QHBoxLayout(box);
    for (int i = 0; i < labels.size(); ++i) {
        auto* button = new QRadioButton(labels[i], box);
        group->addButton(button, i);
        layout->addWidget(button);
    }
    layout->addStretch();
    return box;
}

} // namespace

char CSettingsDialog::DelimiterForButton(int button) {
    if (button < 0 || button >= static_cast<int>(sizeof(kDelimiters)))
        return '\t';
    return kDelimiters[button];
}

int CSettingsDialog::ButtonForDelimiter(char delimiter) {
    for (int i = 1; i < static_cast<int>(sizeof(kDelimiters)); ++i)
        if (kDelimiters[i] == delimiter)
            return i;
    return 0;
}

CSettingsDialog::CSettingsDialog(CTvDeskApp& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_rootFolder(new QLineEdit(this)),
      m_rate(new QDoubleSpinBox(this)), m_printRate(new QCheckBox(this)),
      m_delimiters(new QButtonGroup(this)), m_units(new QButtonGroup(this)),
      m_dateFormat(new QComboBox(this)) {
    setWindowTitle(tr("Tarvenly Settings"));

    char root[CTvDeskApp::kUserTextBufferSize] = {};
    std::int16_t size = CTvDeskApp::kUserTextBufferSize;
    if (app.UserManager() != nullptr)
        app.UserManager()->UmGetRootDirectory(root, &size);
    m_rootFolder->setText(QString::fromUtf8(root));
    m_rootFolder->setMaxLength(256);
    m_rootFolder->setReadOnly(true);

    m_rate->setRange(0, 1000000);
    m_rate->setDecimals(5);
    m_rate->setSingleStep(0.01);
    m_rate->setValue(app.Rate);

    m_printRate->setText(tr("&Print rate times mileage on trip report"));
    m_printRate->setChecked(app.PrintRate);

    m_dateFormat->addItems({"1/1/2004 1:01", "1/1/2004"});
    m_dateFormat->setCurrentIndex(app.DateTimeExportFormat);

    auto* delimiterBox =
        RadioGroup(tr("Text Export Field Delimiter"),
                   {tr("&Tab"), tr("&Comma"), tr("Co&lon"), tr("&Semicolon")}, m_delimiters, this);
    m_delimiters->button(ButtonForDelimiter(app.Delimiter))->setChecked(true);

    auto* unitsBox =
        RadioGroup(tr("Units"), {tr("&Imperial(Miles)"), tr("M&etric(Kilometers)")}, m_units, this);
    m_units->button(app.Doc().Trips().UsesKilometres() ? 1 : 0)->setChecked(true);

    // One form, so that the labels share one column.
    auto* form = new QFormLayout;
    form->addRow(tr("R&oot Data Directory"), m_rootFolder);
    form->addRow(tr("&Milage Reimbursement Rate:"), m_rate);
    form->addRow(QString(), m_printRate);
    form->addRow(delimiterBox);
    form->addRow(unitsBox);
    form->addRow(tr("&Date/Time Export Format:"), m_dateFormat);
    m_rootFolder->setMinimumWidth(320);

    QDialogButtonBox* buttons = MakeOkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void CSettingsDialog::accept() {
    m_app.Rate = static_cast<float>(m_rate->value());
    m_app.PrintRate = m_printRate->isChecked();
    m_app.Delimiter = DelimiterForButton(m_delimiters->checkedId());
    m_app.DateTimeExportFormat = m_dateFormat->currentIndex() > 0 ? 1 : 0;

    CTvDeskDoc& document = m_app.Doc();
    std::uint32_t& units = document.Trips().Settings[0];
    if (m_units->checkedId() == 1)
        units |= RecordStore::kUnitsKilometres;
    else
        units &= ~RecordStore::kUnitsKilometres;
    document.SetModifiedFlag(true);
    if (m_app.MainFrame() != nullptr)
        m_app.MainFrame()->RebuildActiveView();
    QDialog::accept();
}
