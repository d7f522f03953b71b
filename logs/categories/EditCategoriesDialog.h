#pragma once

#include <QDialog>
#include <string>

class CategoryList;
class ExpenseStore;
class QComboBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class RecordStore;
class TripStore;
struct CategoryEntry;

// "Edit Categories": adds, renames and deletes the categories of the trip
// and expense stores it is given. Every change is made at once on the lists
// and records; there is nothing to cancel.
class CEditCategoriesDialog : public QDialog {
    Q_OBJECT
public:
    // Either store may be null; the list of preselect's store is shown first
    // (none when that store was not given).
    CEditCategoriesDialog(TripStore* trips, ExpenseStore* expenses, const CategoryList* preselect,
                          QWidget* parent = nullptr);

    // Whether any category was added, renamed or deleted.
    bool Changed() const { return m_changed; }

    void OnNew();
    void OnRename();
    void OnDelete();

signals:
    // The entry is about to be removed from its list: any reference to it
    // must be dropped now.
    void categoryRemoving(const CategoryEntry& entry);

private:
    RecordStore* SelectedStore() const;
    QListWidgetItem* SelectedItem() const;
    // Lists the selected store's categories in list order, "Unfiled" left out.
    void FillItems();
    // Leaves no item selected, as after filling.
    void ClearSelection();
    void ReportListFull();
    void ReportNameInUse(const std::string& name);

    QComboBox* m_lists;
    QListWidget* m_items;
    QPushButton* m_new;
    QPushButton* m_rename;
    QPushButton* m_delete;
    QPushButton* m_ok;
    bool m_changed = false;
};
