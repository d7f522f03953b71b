#include "ServiceReminder.h"

#include "LogView.h"
#include "MainFrame.h"
#include "ServiceDue.h"
#include "TabForm.h"
#include "TvDeskApp.h"
#include "TvDeskDoc.h"

#include <QApplication>
#include <QStatusBar>
#include <QStringList>

CServiceReminder::CServiceReminder(CTvDeskApp& app, QObject* parent) : QObject(parent), m_app(app) {
    connect(&m_notifications, &DesktopNotifications::failed, this,
            &CServiceReminder::ShowInStatusBar);
    connect(&m_notifications, &DesktopNotifications::activated, this,
            &CServiceReminder::ShowServiceLog);
}

void CServiceReminder::Check() {
    if (m_app.Document == nullptr)
        return;
    const TvDocument& document = *m_app.Document;
    const bool metric = document.Trips().UsesKilometres();
    const ServiceRowContext context(document);
    const std::vector<DueService> due =
        DueServices(document, context, ReminderSettings::Current().Window(metric));
    if (due.empty()) {
        // The next set that falls due is news again.
        m_announcedKey.clear();
        return;
    }
    const std::string key = DueSetKey(due);
    if (key == m_announcedKey || !m_app.ServiceNotifications)
        return;
    m_announcedKey = key;
    m_summary = QString::fromStdString(DueSummaryText(due));
    QStringList lines;
    for (std::size_t i = 0; i < due.size() && i < kEntriesShown; ++i)
        lines << QString::fromStdString(DueEntryText(due[i], context, metric));
    if (due.size() > kEntriesShown)
        lines << QString("and %1 more").arg(due.size() - kEntriesShown);
    m_body = lines.join('\n');
    m_firstVehicleId = due.front().Vehicle->VehicleId;
    m_notifications.Show(m_summary, m_body);
}

void CServiceReminder::ShowInStatusBar() {
    if (m_app.MainFrame() == nullptr)
        return;
    QString text = m_summary;
    if (!m_body.isEmpty())
        text += ": " + QString(m_body).replace('\n', "; ");
    m_app.MainFrame()->statusBar()->showMessage(text);
}

void CServiceReminder::ShowServiceLog() {
    CMainFrame* frame = m_app.MainFrame();
    if (frame == nullptr)
        return;
    frame->BringToFront();
    // An open dialog may hold records of the list; the log stays as it is.
    if (QApplication::activeModalWidget() != nullptr)
        return;
    frame->TabForm()->SelectVehicle(m_firstVehicleId);
    frame->TabForm()->SwitchLog(LogIndex::kServiceLog);
}
