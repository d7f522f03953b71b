#pragma once

#include <QDialog>

// "Tarvenly Removal Complete": says that Tarvenly was removed and where
// program updates are found, with the program's icon and an OK button. For
// a package's installation it says instead that the registrations and
// shortcuts are gone and that the package manager removes the package.
class CompletionDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kProductWebSite = "https://www.tarvenly.com/";

    explicit CompletionDialog(const QString& package = QString(), QWidget* parent = nullptr);
};
