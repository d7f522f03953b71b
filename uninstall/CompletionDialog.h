#pragma once

#include <QDialog>

// "Tarvenly Removal Complete": says that Tarvenly was removed and where
// program updates are found, with the program's icon and an OK button.
class CompletionDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kProductWebSite = "https://www.tarvenly.com/";

    explicit CompletionDialog(QWidget* parent = nullptr);
};
