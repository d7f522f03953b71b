#pragma once

#include "Uninstaller.h"

// The uninstaller's question and failures in message boxes of caption
// "TvUnInstall", and its completion dialog.
class DialogPrompter : public IUninstallPrompter {
public:
    bool Confirm(const QString& question) override;
    void ShowFailure(const QString& text) override;
    void ShowCompletion(const QString& package) override;
};
