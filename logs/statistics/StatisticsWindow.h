#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <utility>
#include <vector>

class CTvDeskDoc;
class QChart;
class QChartView;
class QFormLayout;
class QLabel;
class QTimer;
struct MonthFigures;
struct VehicleStatistics;

// The "Vehicle Statistics" window: the figures of the filter pane's vehicle
// and date range in a form, and three charts (fuel efficiency per fill-up,
// cost per month by expense category, distance per month). It is not modal
// and follows the filter and the data while it is shown: every broadcast of
// the document computes the figures again, and so does showing it. It keeps
// only computed values, never a reference into the stores, and shows nothing
// from the moment the document is emptied (a HotSync reload, a user switch)
// until the new data is announced. Each chart can be saved as a PNG image;
// Escape closes the window (it is hidden, not deleted).
class CStatisticsWindow : public QWidget {
    Q_OBJECT
public:
    enum Chart { kEfficiencyChart, kCostChart, kDistanceChart, kChartCount };

    explicit CStatisticsWindow(CTvDeskDoc& document, QWidget* parent = nullptr);

    // Computes and shows the figures of the filter pane's vehicle and range,
    // judged at the Clock's time.
    void Refresh();
    // Asks for a file name and writes the chart there as a PNG image; a
    // failure is shown in a message box and leaves an existing file as it was.
    void SaveChart(int chart);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct ChartPane {
        QChartView* view = nullptr;
        // The plain sentence over a chart without data.
        QLabel* sentence = nullptr;
        // The names of the series, under a chart that has several.
        QLabel* legend = nullptr;
        QString fileName; // offered by Save Chart
        // A monthly chart's months by bar: year * 12 + month - 1, and name.
        std::vector<std::pair<int, QString>> months;
    };
    struct FigureLabels {
        QLabel* trips;
        QLabel* distance;
        QLabel* expenses;
        QLabel* cost;
        QLabel* fillUps;
        QLabel* volume;
        QLabel* fuelCost;
        QLabel* efficiency;
        QLabel* costPerDistanceTitle;
        QLabel* costPerDistance;
        QLabel* costDistance;
        QLabel* servicesCompleted;
        QLabel* servicesPastDue;
        QLabel* nextDue;
        QLabel* upcoming;
    };

    QWidget* MakeFigures();
    QWidget* MakeChartPane(Chart chart, const QString& name, const QString& fileName,
                           const QString& saveText);
    void ShowFigures(const VehicleStatistics& figures);
    // The vehicle's service that is past due or due soon, one entry a line.
    void ShowUpcomingService();
    void ShowEfficiencyChart(const VehicleStatistics& figures);
    void ShowCostChart(const VehicleStatistics& figures);
    void ShowDistanceChart(const VehicleStatistics& figures);
    // Names the months under a monthly chart's bars, as many as its width
    // lets stand side by side.
    void ShowMonths(Chart chart, const std::vector<MonthFigures>& months);
    void LabelMonths(ChartPane& pane);
    // The dates under the efficiency chart, as many as its width lets stand.
    void FitDateTicks(ChartPane& pane);
    // Puts a new chart into the pane (the old one is deleted) with the
    // sentence over it, or none when the sentence is empty.
    void ReplaceChart(Chart chart, QChart* content, const QString& sentence);
    // Empties the form and the charts: the document is being emptied.
    void Drop();

    CTvDeskDoc& m_document;
    // Broadcasts that come together (a reload, then the filter pane's own
    // rebuild) are computed once.
    QTimer* m_pendingRefresh;
    QLabel* m_heading = nullptr;
    FigureLabels m_figures{};
    QFormLayout* m_distanceByCategory = nullptr;
    QFormLayout* m_costByCategory = nullptr;
    std::array<ChartPane, kChartCount> m_charts{};
};
