#pragma once

#include <QDialog>

// "About TvDesk": the open data file, the version and the product's web site.
class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(const QString& dataFilePath, QWidget* parent = nullptr);
};
