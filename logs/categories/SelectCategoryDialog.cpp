#include "SelectCategoryDialog.h"

#include "AnsiText.h"
#include "CategoryList.h"
#include "DialogButtons.h"
#include "MessageBox.h"
#include "TextOrder.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

namespace {

constexpr int kMinimumBoxWidth = 180;

} // namespace

CSelectCategoryDialog::CSelectCategoryDialog(const CategoryList& list, QWidget* parent)
    : QDialog(parent), m_categories(new QComboBox(this)) {
    setWindowTitle(tr("Select a Category"));
    m_categories->setObjectName("categoryBox");
    m_categories->setMinimumWidth(kMinimumBoxWidth);

    // The box is sorted by name as people read it; equal names keep list
    // order.
    std::vector<const CategoryEntry*> entries;
    for (const CategoryEntry& entry : list.Items())
        entries.push_back(&entry);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const CategoryEntry* a, const CategoryEntry* b) {
                         return TextOrder::Less(a->Name, b->Name);
                     });
    for (const CategoryEntry* entry : entries)
        m_categories->addItem(AnsiText::ToQString(entry->Name),
                              QVariant::fromValue(entry->Index()));
    m_categories->setCurrentIndex(-1);

    auto* form = new QFormLayout;
    form->addRow(tr("C&ategories:"), m_categories);
    LayOutFormDialog(this, form);
    m_categories->setFocus();
}

int CSelectCategoryDialog::SelectedIndex() const {
    const int item = m_categories->currentIndex();
    if (item < 0)
        return -1;
    return static_cast<int>(m_categories->itemData(item).value<std::uint32_t>());
}

void CSelectCategoryDialog::accept() {
    if (m_categories->currentIndex() < 0) {
        MessageBox::warning(this, tr("Please select a category."));
        m_categories->setFocus();
        return;
    }
    QDialog::accept();
}
