#pragma once

#include <QDialog>

class CategoryList;
class QComboBox;

// "Select a Category": picks one entry of a category list, "Unfiled"
// included, for re-filing several records at once.
class CSelectCategoryDialog : public QDialog {
    Q_OBJECT
public:
    explicit CSelectCategoryDialog(const CategoryList& list, QWidget* parent = nullptr);

    // The index of the chosen entry (its Category field); -1 while none is
    // chosen.
    int SelectedIndex() const;

public slots:
    // Refuses to close on OK while no category is chosen.
    void accept() override;

private:
    QComboBox* m_categories;
};
