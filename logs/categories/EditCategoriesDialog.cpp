#include "EditCategoriesDialog.h"

#include "AnsiText.h"
#include "CategoryCommands.h"
#include "CategoryEditing.h"
#include "CategoryNameDialog.h"
#include "MessageBox.h"
#include "RecordStore.h"
#include "TvDeskDoc.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

namespace {

constexpr int kMinimumListWidth = 200;
constexpr int kMinimumListHeight = 180;

template <typename T> T* PointerOf(const QVariant& data) {
    return static_cast<T*>(data.value<void*>());
}

QVariant PointerData(void* pointer) {
    return QVariant::fromValue(pointer);
}

QListWidgetItem* MakeItem(CategoryEntry& entry) {
    auto* item = new QListWidgetItem(AnsiText::ToQString(entry.Name));
    item->setData(Qt::UserRole, PointerData(&entry));
    return item;
}

// The entry of copy at the place entry has in original.
CategoryEntry& SameEntry(CategoryList& copy, const CategoryList& original,
                         const CategoryEntry& entry) {
    auto place = original.Items().begin();
    auto same = copy.Items().begin();
    while (&*place != &entry) {
        ++place;
        ++same;
    }
    return *same;
}

} // namespace

CEditCategoriesDialog::CEditCategoriesDialog(CTvDeskDoc& document, bool trips, bool expenses,
                                             const CategoryList* preselect, QWidget* parent)
    : QDialog(parent), m_document(document), m_lists(new QComboBox(this)),
      m_items(new QListWidget(this)), m_new(new QPushButton(tr("&New"), this)),
      m_rename(new QPushButton(tr("&Rename"), this)),
      m_delete(new QPushButton(tr("&Delete"), this)), m_ok(new QPushButton(tr("&OK"), this)) {
    setWindowTitle(tr("Edit Categories"));
    m_lists->setObjectName("listBox");
    m_items->setObjectName("itemList");
    m_new->setObjectName("newButton");
    m_rename->setObjectName("renameButton");
    m_delete->setObjectName("deleteButton");
    m_ok->setObjectName("okButton");

    // The drop-down is sorted by name: the expense list comes first.
    if (expenses)
        m_lists->addItem(tr("Expense Category List"), PointerData(&document.Expenses()));
    if (trips)
        m_lists->addItem(tr("Trip Category List"), PointerData(&document.Trips()));
    int preselected = -1;
    for (int item = 0; item < m_lists->count(); ++item) {
        if (&PointerOf<RecordStore>(m_lists->itemData(item))->Categories == preselect)
            preselected = item;
    }
    m_lists->setCurrentIndex(preselected);
    m_lists->setMinimumWidth(kMinimumListWidth);
    m_items->setSelectionMode(QAbstractItemView::SingleSelection);
    m_items->setMinimumSize(kMinimumListWidth, kMinimumListHeight);

    auto* listLabel = new QLabel(tr("Category &List:"), this);
    listLabel->setBuddy(m_lists);
    auto* itemsLabel = new QLabel(tr("Category &Items:"), this);
    itemsLabel->setBuddy(m_items);

    auto* lists = new QVBoxLayout;
    lists->setSpacing(4);
    lists->addWidget(listLabel);
    lists->addWidget(m_lists);
    lists->addSpacing(8);
    lists->addWidget(itemsLabel);
    lists->addWidget(m_items, 1);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {m_new, m_rename, m_delete})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    m_ok->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(12);
    layout->addLayout(lists, 0, 0);
    layout->addLayout(buttons, 0, 1);
    layout->setColumnStretch(0, 1);

    setTabOrder(m_lists, m_items);
    setTabOrder(m_items, m_new);
    setTabOrder(m_new, m_rename);
    setTabOrder(m_rename, m_delete);
    setTabOrder(m_delete, m_ok);

    connect(m_lists, &QComboBox::currentIndexChanged, this, &CEditCategoriesDialog::FillItems);
    connect(m_items, &QListWidget::itemDoubleClicked, this, &CEditCategoriesDialog::OnRename);
    connect(m_new, &QPushButton::clicked, this, &CEditCategoriesDialog::OnNew);
    connect(m_rename, &QPushButton::clicked, this, &CEditCategoriesDialog::OnRename);
    connect(m_delete, &QPushButton::clicked, this, &CEditCategoriesDialog::OnDelete);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    FillItems();
}

StoreKind CEditCategoriesDialog::KindOf(const RecordStore& store) const {
    return &store == &m_document.Trips() ? StoreKind::Trips : StoreKind::Expenses;
}

RecordStore* CEditCategoriesDialog::SelectedStore() const {
    const int item = m_lists->currentIndex();
    if (item < 0)
        return nullptr;
    return PointerOf<RecordStore>(m_lists->itemData(item));
}

QListWidgetItem* CEditCategoriesDialog::SelectedItem() const {
    const QList<QListWidgetItem*> selected = m_items->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void CEditCategoriesDialog::FillItems() {
    m_items->clear();
    RecordStore* store = SelectedStore();
    if (store == nullptr)
        return;
    for (CategoryEntry& entry : store->Categories.Items()) {
        if (entry.Name != kUnfiledName)
            m_items->addItem(MakeItem(entry));
    }
}

void CEditCategoriesDialog::ClearSelection() {
    // Removing the current item would otherwise select its neighbour, and a
    // second Delete would then ask about a category the user never chose.
    m_items->setCurrentItem(nullptr);
    m_items->clearSelection();
}

void CEditCategoriesDialog::ReportListFull() {
    MessageBox::warning(
        this, tr("All categories are used. Please delete a category before adding another."),
        tr("Warning"));
}

void CEditCategoriesDialog::ReportNameInUse(const std::string& name) {
    MessageBox::warning(this,
                        tr("The category name %1 already exists. Please use a different name.")
                            .arg(AnsiText::ToQString(FitCategoryName(name))),
                        tr("Error"));
}

void CEditCategoriesDialog::OnNew() {
    RecordStore* store = SelectedStore();
    if (store == nullptr)
        return;
    if (IsCategoryListFull(store->Categories)) {
        ReportListFull();
        return;
    }
    const std::optional<QString> name = CCategoryNameDialog::Ask(this, QString());
    if (!name)
        return;
    const std::string bytes = AnsiText::FromQString(*name);
    // The edit is made on a copy, which the command then puts in place.
    CategoryList edited = store->Categories;
    switch (AddCategory(edited, bytes).Result) {
    case AddCategoryResult::Added:
        m_document.Push(new CNewCategoryCommand(m_document, KindOf(*store), edited));
        FillItems();
        m_changed = true;
        break;
    case AddCategoryResult::NameInUse:
        ReportNameInUse(bytes);
        break;
    case AddCategoryResult::ListFull:
        ReportListFull();
        break;
    }
}

void CEditCategoriesDialog::OnRename() {
    RecordStore* store = SelectedStore();
    QListWidgetItem* item = SelectedItem();
    if (store == nullptr || item == nullptr)
        return;
    CategoryEntry* entry = PointerOf<CategoryEntry>(item->data(Qt::UserRole));
    const std::optional<QString> name =
        CCategoryNameDialog::Ask(this, AnsiText::ToQString(entry->Name));
    if (!name)
        return;
    const std::string bytes = AnsiText::FromQString(*name);
    CategoryList edited = store->Categories;
    switch (RenameCategory(edited, SameEntry(edited, store->Categories, *entry), bytes)) {
    case RenameCategoryResult::Renamed:
        // The entry stays where it lies; only its fields change.
        m_document.Push(new CRenameCategoryCommand(m_document, KindOf(*store), edited));
        // The renamed category goes to the end of the list box; the entry
        // keeps its place in the list.
        delete item;
        m_items->addItem(MakeItem(*entry));
        ClearSelection();
        m_changed = true;
        break;
    case RenameCategoryResult::NameInUse:
        ReportNameInUse(bytes);
        break;
    case RenameCategoryResult::Unchanged:
    case RenameCategoryResult::IsUnfiled:
        break;
    }
}

void CEditCategoriesDialog::OnDelete() {
    RecordStore* store = SelectedStore();
    QListWidgetItem* item = SelectedItem();
    if (store == nullptr || item == nullptr)
        return;
    if (MessageBox::question(this,
                             tr("All trips associated with this category will be moved to the "
                                "Unfiled category. Are you sure you want to do this?"),
                             tr("Warning")) != MessageBox::Yes)
        return;
    const CategoryEntry& entry = *PointerOf<CategoryEntry>(item->data(Qt::UserRole));
    const std::uint32_t index = entry.Index();
    CategoryList edited = store->Categories;
    if (RemoveCategoryEntry(edited, SameEntry(edited, store->Categories, entry))) {
        delete item;
        // Takes the entry away and files its records under "Unfiled"; a
        // filter on it falls back to all categories.
        m_document.Push(new CDeleteCategoryCommand(m_document, KindOf(*store), edited, index));
        ClearSelection();
        m_changed = true;
    }
}
