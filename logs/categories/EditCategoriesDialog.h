#pragma once

#include "DocumentChange.h"

#include <QDialog>
#include <string>

class CategoryList;
class CTvDeskDoc;
class QComboBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class RecordStore;
struct CategoryEntry;

// "Edit Categories": adds, renames and deletes the categories of the
// document's trip and expense stores. Every change is made at once, as one
// command on the document's undo stack; there is nothing to cancel.
class CEditCategoriesDialog : public QDialog {
    Q_OBJECT
public:
    // trips, expenses: whether that store's list is offered; the list
    // preselect is shown first (none when its store is not offered).
    CEditCategoriesDialog(CTvDeskDoc& document, bool trips, bool expenses,
                          const CategoryList* preselect, QWidget* parent = nullptr);

    // Whether any category was added, renamed or deleted.
    bool Changed() const { return m_changed; }

    void OnNew();
    void OnRename();
    void OnDelete();

private:
    StoreKind KindOf(const RecordStore& store) const;
    RecordStore* SelectedStore() const;
    QListWidgetItem* SelectedItem() const;
    // Lists the selected store's categories in list order, "Unfiled" left out.
    void FillItems();
    // Leaves no item selected, as after filling.
    void ClearSelection();
    void ReportListFull();
    void ReportNameInUse(const std::string& name);

    CTvDeskDoc& m_document;
    QComboBox* m_lists;
    QListWidget* m_items;
    QPushButton* m_new;
    QPushButton* m_rename;
    QPushButton* m_delete;
    QPushButton* m_ok;
    bool m_changed = false;
};
