#include "StatisticsWindow.h"

#include "AnsiText.h"
#include "AtomicFileWriter.h"
#include "ChartScale.h"
#include "Clock.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "OutputGuard.h"
#include "ServiceDue.h"
#include "TvDeskDoc.h"
#include "VehicleStatistics.h"

#include <QBuffer>
#include <QColor>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QStackedBarSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr int kFiguresWidth = 340;

// The words the lists and dialogs use for the file's units.
struct UnitWords {
    QString distance; // "Miles"
    QString perUnit;  // "Mile", as in "Cost per Mile"
    QString volume;
    QString efficiency;
};

UnitWords UnitsOf(bool metric) {
    if (metric)
        return {"Kilometers", "Kilometer", "Liters", "Km/L"};
    return {"Miles", "Mile", "Gallons", "MPG"};
}

// Thousandths as currency units or volumes with two decimals, as the reports
// show their totals.
QString AmountText(std::int64_t thousandths) {
    return QString::asprintf("%.2f", static_cast<double>(thousandths) * 0.001);
}

QString DistanceText(std::int64_t distance, const UnitWords& units) {
    return QString("%1 %2").arg(distance).arg(units.distance);
}

// A ratio with two decimals; "Unknown" when there is none (or it is not a
// number, which must never reach the screen).
QString RatioText(const std::optional<double>& ratio, const QString& unit) {
    if (!ratio || !std::isfinite(*ratio))
        return "Unknown";
    const QString number = QString::asprintf("%.2f", *ratio);
    return unit.isEmpty() ? number : number + " " + unit;
}

QString NextDueText(const std::optional<NextServiceDue>& next, const UnitWords& units) {
    if (!next)
        return "None";
    QStringList when;
    if (next->Date)
        when << "on " + QString::fromStdString(next->Date->DateText());
    if (next->Odometer)
        when << QString("at %1 %2").arg(*next->Odometer).arg(units.distance);
    const QString type = AnsiText::ToQString(next->TypeName);
    return when.isEmpty() ? type : type + " " + when.join(" or ");
}

QString MonthLabel(const MonthFigures& month) {
    return QString("%1 %2")
        .arg(QLocale::c().monthName(month.Month, QLocale::ShortFormat))
        .arg(month.Year);
}

QLabel* MakeValue(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QChart* MakeChart(const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setVisible(false);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setBackgroundRoundness(0);
    return chart;
}

// The vehicle's own series (its efficiency, its distance) take one colour in
// every chart; the expense categories take the others, each by its place in
// the category list, so that a category keeps its colour as the range changes.
const QColor kVehicleColour(0x1f, 0x77, 0xb4);
const QColor kCategoryColours[] = {
    QColor(0xff, 0x7f, 0x0e), QColor(0x2c, 0xa0, 0x2c), QColor(0xd6, 0x27, 0x28),
    QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b), QColor(0xe3, 0x77, 0xc2),
    QColor(0x7f, 0x7f, 0x7f), QColor(0xbc, 0xbd, 0x22), QColor(0x17, 0xbe, 0xcf)};

QColor CategoryColour(std::size_t place) {
    return kCategoryColours[place % std::size(kCategoryColours)];
}

// A value axis on the left over [low, high], zero always included, in steps
// of 1, 2 or 5 times a power of ten, few enough for labels that fit the
// smallest chart.
void AddValueAxis(QChart* chart, QAbstractSeries* series, double low, double high,
                  const QString& title) {
    constexpr int kMostSteps = 5;
    const ChartScale scale = NiceChartScale(low, high, kMostSteps);
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setRange(scale.Low, scale.High);
    axis->setTickCount(static_cast<int>(std::lround((scale.High - scale.Low) / scale.Step)) + 1);
    axis->setLabelFormat(QString("%.%1f").arg(scale.Decimals));
    chart->addAxis(axis, Qt::AlignLeft);
    series->attachAxis(axis);
}

// The months along the bottom, under their bars (bar i stands at i); the
// names are put on by LabelMonths, as many as the chart's width lets stand
// side by side.
void AddMonthAxis(QChart* chart, QAbstractSeries* series, std::size_t months) {
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setGridLineVisible(false);
    axis->setTruncateLabels(false);
    axis->setStartValue(-0.5);
    axis->setRange(-0.5, static_cast<double>(months) - 0.5);
    chart->addAxis(axis, Qt::AlignBottom);
    series->attachAxis(axis);
}

// The legend of a chart with several series, under it: a coloured square and
// the name of each, wrapped to the chart's width so that none is cut.
QString LegendText(const std::vector<std::pair<QString, QColor>>& entries) {
    QStringList items;
    for (const auto& [name, colour] : entries)
        items << QString("<span style=\"color:%1\">&#9632;</span>&nbsp;%2")
                     .arg(colour.name(), name.toHtmlEscaped().replace(' ', "&nbsp;"));
    return items.join(" &nbsp; ");
}

// Writes the image through a temporary file that replaces the target only
// when complete; raises MExcept (MExceptTargetRefused for a target the output
// guard refuses) and returns the image writer's error text, else empty.
QString WritePng(const QImage& image, const QString& path) {
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    QImageWriter writer(&encoded, "png");
    if (!writer.write(image))
        return writer.errorString();
    AtomicFileWriter file(QFile::encodeName(path).toStdString(),
                          AtomicFileWriter::Durability::WhenReplacing);
    file.File().WriteBytes(encoded.data().constData(), static_cast<std::size_t>(encoded.size()));
    file.Commit();
    return {};
}

} // namespace

CStatisticsWindow::CStatisticsWindow(CTvDeskDoc& document, QWidget* parent)
    : QWidget(parent, Qt::Window), m_document(document), m_pendingRefresh(new QTimer(this)) {
    setObjectName("StatisticsWindow");
    setWindowTitle("Vehicle Statistics");

    m_heading = new QLabel(this);
    m_heading->setObjectName("heading");
    m_heading->setTextFormat(Qt::PlainText);
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);

    // The figures scroll up and down when there are many categories; long
    // values wrap rather than widen the column.
    auto* figures = new QScrollArea(this);
    figures->setWidget(MakeFigures());
    figures->setWidgetResizable(true);
    figures->setFrameShape(QFrame::NoFrame);
    figures->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    figures->setFixedWidth(kFiguresWidth);

    auto* monthly = new QHBoxLayout;
    monthly->addWidget(
        MakeChartPane(kCostChart, "cost", "cost-per-month.png", "Save C&ost Chart..."));
    monthly->addWidget(MakeChartPane(kDistanceChart, "distance", "distance-per-month.png",
                                     "Save &Distance Chart..."));
    auto* charts = new QVBoxLayout;
    charts->addWidget(MakeChartPane(kEfficiencyChart, "efficiency", "fuel-efficiency.png",
                                    "Save &Efficiency Chart..."),
                      1);
    charts->addLayout(monthly, 1);

    auto* body = new QHBoxLayout;
    body->addWidget(figures);
    body->addLayout(charts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText("&Close");
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addLayout(body, 1);
    layout->addWidget(buttons);
    resize(1180, 800);

    m_pendingRefresh->setSingleShot(true);
    m_pendingRefresh->setInterval(0);
    connect(m_pendingRefresh, &QTimer::timeout, this, &CStatisticsWindow::Refresh);
    // A hidden window computes nothing; showing it again brings it up to date.
    connect(&m_document, &CTvDeskDoc::viewsUpdated, this, [this] {
        if (isVisible())
            m_pendingRefresh->start();
    });
    // So does every edit of the records, its undo and its redo.
    connect(&m_document, &CTvDeskDoc::documentChanged, this, [this] {
        if (isVisible())
            m_pendingRefresh->start();
    });
    connect(&m_document, &CTvDeskDoc::contentsCleared, this, &CStatisticsWindow::Drop);
}

void CStatisticsWindow::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window as it closes a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

void CStatisticsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        Refresh();
}

QWidget* CStatisticsWindow::MakeFigures() {
    auto* page = new QWidget;
    const auto group = [page](const QString& title) {
        auto* box = new QGroupBox(title, page);
        auto* form = new QFormLayout(box);
        form->setLabelAlignment(Qt::AlignLeft);
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        return std::make_pair(box, form);
    };
    // The rows of each category, indented under their total.
    const auto categories = [](QFormLayout* form) {
        auto* rows = new QFormLayout;
        rows->setContentsMargins(16, 0, 0, 0);
        form->addRow(rows);
        return rows;
    };

    auto [trips, tripForm] = group("Trips");
    m_figures.trips = MakeValue("tripsValue", page);
    m_figures.distance = MakeValue("distanceValue", page);
    tripForm->addRow("Trips:", m_figures.trips);
    tripForm->addRow("Distance:", m_figures.distance);
    m_distanceByCategory = categories(tripForm);

    auto [expenses, expenseForm] = group("Expenses");
    m_figures.expenses = MakeValue("expensesValue", page);
    m_figures.cost = MakeValue("costValue", page);
    m_figures.fillUps = MakeValue("fillUpsValue", page);
    m_figures.volume = MakeValue("volumeValue", page);
    m_figures.fuelCost = MakeValue("fuelCostValue", page);
    m_figures.efficiency = MakeValue("efficiencyValue", page);
    m_figures.costPerDistanceTitle = new QLabel(page);
    m_figures.costPerDistanceTitle->setObjectName("costPerDistanceTitle");
    m_figures.costPerDistance = MakeValue("costPerDistanceValue", page);
    m_figures.costDistance = MakeValue("costDistanceValue", page);
    m_figures.costDistance->setWordWrap(true);
    expenseForm->addRow("Expenses:", m_figures.expenses);
    expenseForm->addRow("Total cost:", m_figures.cost);
    m_costByCategory = categories(expenseForm);
    expenseForm->addRow("Fill-ups:", m_figures.fillUps);
    expenseForm->addRow("Fuel volume:", m_figures.volume);
    expenseForm->addRow("Fuel cost:", m_figures.fuelCost);
    expenseForm->addRow("Average efficiency:", m_figures.efficiency);
    expenseForm->addRow(m_figures.costPerDistanceTitle, m_figures.costPerDistance);
    expenseForm->addRow("Distance for the cost:", m_figures.costDistance);

    auto [service, serviceForm] = group("Service");
    m_figures.servicesCompleted = MakeValue("servicesCompletedValue", page);
    m_figures.servicesPastDue = MakeValue("servicesPastDueValue", page);
    m_figures.nextDue = MakeValue("nextDueValue", page);
    m_figures.nextDue->setWordWrap(true);
    serviceForm->addRow("Completed in range:", m_figures.servicesCompleted);
    serviceForm->addRow("Past due now:", m_figures.servicesPastDue);
    serviceForm->addRow("Next due:", m_figures.nextDue);
    m_figures.upcoming = MakeValue("upcomingServiceValue", page);
    m_figures.upcoming->setWordWrap(true);
    serviceForm->addRow("Upcoming:", m_figures.upcoming);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(trips);
    layout->addWidget(expenses);
    layout->addWidget(service);
    layout->addStretch(1);
    return page;
}

QWidget* CStatisticsWindow::MakeChartPane(Chart chart, const QString& name, const QString& fileName,
                                          const QString& saveText) {
    auto* pane = new QWidget(this);
    auto* view = new QChartView(pane);
    view->setObjectName(name + "Chart");
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(300, 220);
    // Focus lets the context-menu key reach the chart.
    view->setFocusPolicy(Qt::StrongFocus);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, chart, view](QPoint at) {
        auto* menu = new QMenu(view);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addAction("Save Chart...", this, [this, chart] { SaveChart(chart); });
        menu->popup(view->viewport()->mapToGlobal(at));
    });

    auto* sentence = new QLabel(view->viewport());
    sentence->setObjectName(name + "Sentence");
    sentence->setTextFormat(Qt::PlainText);
    sentence->setWordWrap(true);
    sentence->setAlignment(Qt::AlignCenter);
    sentence->setAttribute(Qt::WA_TransparentForMouseEvents);
    sentence->hide();
    auto* overlay = new QVBoxLayout(view->viewport());
    // Across the whole chart, so that it wraps only where the chart is narrow.
    overlay->addWidget(sentence);

    auto* save = new QPushButton(saveText, pane);
    save->setObjectName(name + "Save");
    save->setToolTip("Save the chart as a PNG image");
    connect(save, &QPushButton::clicked, this, [this, chart] { SaveChart(chart); });

    auto* legend = new QLabel(pane);
    legend->setObjectName(name + "Legend");
    legend->setTextFormat(Qt::RichText);
    legend->setWordWrap(true);
    legend->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view, 1);
    layout->addWidget(legend);
    layout->addLayout(buttons);

    // The month names follow the chart's width.
    view->installEventFilter(this);
    m_charts[chart] = {view, sentence, legend, fileName, {}};
    return pane;
}

bool CStatisticsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize)
        for (ChartPane& pane : m_charts)
            if (pane.view == watched) {
                LabelMonths(pane);
                FitDateTicks(pane);
            }
    return QWidget::eventFilter(watched, event);
}

void CStatisticsWindow::LabelMonths(ChartPane& pane) {
    if (pane.months.empty())
        return;
    const QList<QAbstractAxis*> axes = pane.view->chart()->axes(Qt::Horizontal);
    auto* axis = axes.isEmpty() ? nullptr : qobject_cast<QCategoryAxis*>(axes.front());
    if (axis == nullptr)
        return;
    for (const QString& label : axis->categoriesLabels())
        axis->remove(label);
    // As many names as fit side by side with a gap, a whole number of months
    // apart that divides a year or years (every month, every second, every
    // quarter ...), so that they fall on the same months every year. The
    // value axis and the margins take about 90 pixels of the width.
    const QFontMetrics metrics(axis->labelsFont());
    const int nameWidth = metrics.horizontalAdvance("May 2024") + metrics.averageCharWidth() * 3;
    const std::size_t mostNames =
        static_cast<std::size_t>(std::max(1, (pane.view->width() - 90) / nameWidth));
    std::size_t step = 1;
    for (const std::size_t candidate : {1, 2, 3, 4, 6, 12, 24, 60, 120, 240}) {
        step = candidate;
        if (candidate * mostNames >= pane.months.size())
            break;
    }
    for (std::size_t index = 0; index < pane.months.size(); ++index) {
        const auto& [number, name] = pane.months[index];
        if (static_cast<std::size_t>(number) % step == 0)
            axis->append(name, static_cast<double>(index));
    }
}

void CStatisticsWindow::FitDateTicks(ChartPane& pane) {
    const QList<QAbstractAxis*> axes = pane.view->chart()->axes(Qt::Horizontal);
    auto* axis = axes.isEmpty() ? nullptr : qobject_cast<QDateTimeAxis*>(axes.front());
    if (axis == nullptr)
        return;
    // As many dates as fit side by side, from 2 to 6, and no more than the
    // days shown, so that no date is named twice.
    const QFontMetrics metrics(axis->labelsFont());
    const int dateWidth = metrics.horizontalAdvance("12/31/2024") + metrics.averageCharWidth() * 3;
    const int most =
        static_cast<int>(std::clamp<qint64>(axis->min().daysTo(axis->max()) + 1, 2, 6));
    axis->setTickCount(std::clamp((pane.view->width() - 90) / dateWidth + 1, 2, most));
}

void CStatisticsWindow::ShowMonths(Chart chart, const std::vector<MonthFigures>& months) {
    ChartPane& pane = m_charts[chart];
    pane.months.clear();
    for (const MonthFigures& month : months)
        pane.months.emplace_back(month.Year * 12 + month.Month - 1, MonthLabel(month));
    LabelMonths(pane);
}

void CStatisticsWindow::Refresh() {
    m_pendingRefresh->stop();
    const StatisticsScope scope = StatisticsScope::FromDocument(m_document);
    const VehicleStatistics figures = ComputeVehicleStatistics(m_document, scope, Clock::Now());
    if (scope.Vehicle == nullptr) {
        m_heading->setText("No vehicle is chosen.");
    } else {
        const QString range = scope.AllDates
                                  ? QString("all dates")
                                  : QString::fromStdString(MTime::RangeText(scope.From, scope.To));
        m_heading->setText(AnsiText::ToQString(scope.Vehicle->Name.View()) + ", " + range);
    }
    ShowFigures(figures);
    ShowUpcomingService();
    ShowEfficiencyChart(figures);
    ShowCostChart(figures);
    ShowDistanceChart(figures);
}

void CStatisticsWindow::ShowFigures(const VehicleStatistics& figures) {
    const UnitWords units = UnitsOf(figures.Metric);
    m_figures.trips->setText(QString::number(figures.TripCount));
    m_figures.distance->setText(DistanceText(figures.Distance, units));
    m_figures.expenses->setText(QString::number(figures.ExpenseCount));
    m_figures.cost->setText(AmountText(figures.Cost));
    m_figures.fillUps->setText(QString::number(figures.FillUps));
    m_figures.volume->setText(AmountText(figures.Volume) + " " + units.volume);
    m_figures.fuelCost->setText(AmountText(figures.FuelCost));
    m_figures.efficiency->setText(RatioText(figures.AverageEfficiency, units.efficiency));
    m_figures.costPerDistanceTitle->setText(QString("Cost per %1:").arg(units.perUnit));
    m_figures.costPerDistance->setText(RatioText(figures.CostPerDistance, QString()));
    switch (figures.CostDistanceSource) {
    case DistanceSource::Trips:
        m_figures.costDistance->setText(DistanceText(figures.CostDistance, units) + ", from trips");
        break;
    case DistanceSource::Odometer:
        m_figures.costDistance->setText(DistanceText(figures.CostDistance, units) +
                                        ", from the odometer readings of the expenses");
        break;
    case DistanceSource::None:
        m_figures.costDistance->setText("None");
        break;
    }
    m_figures.servicesCompleted->setText(QString::number(figures.ServicesCompleted));
    m_figures.servicesPastDue->setText(QString::number(figures.ServicesPastDue));
    m_figures.nextDue->setText(NextDueText(figures.NextDue, units));

    const auto fill = [](QFormLayout* rows, const std::vector<NamedAmount>& amounts,
                         const auto& text) {
        while (rows->rowCount() > 0)
            rows->removeRow(0);
        for (const NamedAmount& amount : amounts) {
            auto* name = new QLabel(AnsiText::ToQString(amount.Name) + ":");
            name->setTextFormat(Qt::PlainText);
            auto* value = new QLabel(text(amount.Amount));
            value->setTextFormat(Qt::PlainText);
            rows->addRow(name, value);
        }
    };
    fill(m_distanceByCategory, figures.DistanceByCategory,
         [&units](std::int64_t distance) { return DistanceText(distance, units); });
    fill(m_costByCategory, figures.CostByCategory, AmountText);
}

void CStatisticsWindow::ShowUpcomingService() {
    const VehicleRecord* vehicle = m_document.SelectedVehicle;
    if (vehicle == nullptr) {
        m_figures.upcoming->setText("None");
        return;
    }
    const bool metric = m_document.Trips().UsesKilometres();
    const ServiceRowContext context(m_document);
    QStringList lines;
    for (const DueService& due :
         DueServices(m_document, context, ReminderSettings::Current().Window(metric), vehicle)) {
        const QString when = QString::fromStdString(DueWhenText(*due.Entry, context, metric));
        lines << QString("%1: %2%3")
                     .arg(due.State == DueState::PastDue ? "Past due" : "Due soon",
                          AnsiText::ToQString(context.TypeText(*due.Entry)),
                          when.isEmpty() ? QString() : ", " + when);
    }
    m_figures.upcoming->setText(lines.isEmpty() ? QString("Nothing due soon") : lines.join('\n'));
}

void CStatisticsWindow::ShowEfficiencyChart(const VehicleStatistics& figures) {
    const UnitWords units = UnitsOf(figures.Metric);
    QChart* chart = MakeChart(QString("Fuel Efficiency (%1)").arg(units.efficiency));
    auto* series = new QLineSeries;
    series->setName(units.efficiency);
    series->setColor(kVehicleColour);
    double low = 0;
    double high = 0;
    for (const FillUpPoint& point : figures.FillUpPoints) {
        const std::int64_t seconds = point.Date.AsSeconds();
        if (!point.Efficiency || !std::isfinite(*point.Efficiency) || seconds < 0)
            continue;
        low = std::min(low, *point.Efficiency);
        high = std::max(high, *point.Efficiency);
        series->append(static_cast<double>(seconds) * 1000.0, *point.Efficiency);
    }
    if (series->count() == 0) {
        delete series;
        ReplaceChart(kEfficiencyChart, chart,
                     figures.FillUpPoints.empty()
                         ? "No fill-ups in this range."
                         : "No fill-up in this range has an efficiency: it takes an earlier "
                           "fill-up and a volume.");
        return;
    }
    series->setPointsVisible(true);
    chart->addSeries(series);

    // The points' dates with a margin, at least a day, so that one fill-up
    // still has a time axis around it.
    const auto points = series->points();
    const auto [first, last] = std::minmax_element(
        points.begin(), points.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });
    constexpr double kDay = 24.0 * 3600 * 1000;
    const double margin = std::max((last->x() - first->x()) * 0.03, kDay);
    auto* time = new QDateTimeAxis;
    time->setFormat("M/d/yyyy");
    time->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(first->x() - margin)),
                   QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(last->x() + margin)));
    chart->addAxis(time, Qt::AlignBottom);
    series->attachAxis(time);
    AddValueAxis(chart, series, low, high, units.efficiency);
    ReplaceChart(kEfficiencyChart, chart, QString());
    FitDateTicks(m_charts[kEfficiencyChart]);
}

void CStatisticsWindow::ShowCostChart(const VehicleStatistics& figures) {
    QChart* chart = MakeChart("Cost per Month");
    if (figures.ExpenseCount == 0 || figures.Months.empty()) {
        ReplaceChart(kCostChart, chart, "No expenses in this range.");
        return;
    }
    // One layer per expense category that cost anything in the range; each
    // month's bar stacks its costs up from zero and its refunds down.
    auto* series = new QStackedBarSeries;
    std::vector<std::pair<QString, QColor>> legend;
    std::vector<double> above(figures.Months.size(), 0.0);
    std::vector<double> below(figures.Months.size(), 0.0);
    for (std::size_t category = 0; category < figures.CostByCategory.size(); ++category) {
        const auto costOf = [category](const MonthFigures& month) {
            return category < month.CostByCategory.size() ? month.CostByCategory[category] : 0;
        };
        if (std::none_of(figures.Months.begin(), figures.Months.end(),
                         [&costOf](const MonthFigures& month) { return costOf(month) != 0; }))
            continue;
        auto* layer = new QBarSet(AnsiText::ToQString(figures.CostByCategory[category].Name));
        layer->setColor(CategoryColour(category));
        layer->setBorderColor(CategoryColour(category));
        legend.emplace_back(layer->label(), layer->color());
        for (std::size_t month = 0; month < figures.Months.size(); ++month) {
            const double cost = static_cast<double>(costOf(figures.Months[month])) * 0.001;
            layer->append(cost);
            (cost < 0 ? below : above)[month] += cost;
        }
        series->append(layer);
    }
    if (series->count() == 0) {
        delete series;
        ReplaceChart(kCostChart, chart, "The expenses in this range cost nothing.");
        return;
    }
    chart->addSeries(series);
    AddMonthAxis(chart, series, figures.Months.size());
    AddValueAxis(chart, series, *std::min_element(below.begin(), below.end()),
                 *std::max_element(above.begin(), above.end()), "Cost");
    ReplaceChart(kCostChart, chart, QString());
    ShowMonths(kCostChart, figures.Months);
    m_charts[kCostChart].legend->setText(LegendText(legend));
    m_charts[kCostChart].legend->show();
}

void CStatisticsWindow::ShowDistanceChart(const VehicleStatistics& figures) {
    const UnitWords units = UnitsOf(figures.Metric);
    QChart* chart = MakeChart(QString("Distance per Month (%1)").arg(units.distance));
    if (figures.TripCount == 0 || figures.Months.empty()) {
        ReplaceChart(kDistanceChart, chart, "No trips in this range.");
        return;
    }
    auto* distances = new QBarSet(units.distance);
    distances->setColor(kVehicleColour);
    distances->setBorderColor(kVehicleColour);
    double high = 0;
    for (const MonthFigures& month : figures.Months) {
        distances->append(static_cast<double>(month.Distance));
        high = std::max(high, static_cast<double>(month.Distance));
    }
    auto* series = new QBarSeries;
    series->append(distances);
    chart->addSeries(series);
    AddMonthAxis(chart, series, figures.Months.size());
    AddValueAxis(chart, series, 0, high, units.distance);
    ReplaceChart(kDistanceChart, chart, QString());
    ShowMonths(kDistanceChart, figures.Months);
}

void CStatisticsWindow::ReplaceChart(Chart chart, QChart* content, const QString& sentence) {
    ChartPane& pane = m_charts[chart];
    // The view gives up the chart it showed without deleting it.
    QChart* previous = pane.view->chart();
    pane.view->setChart(content);
    delete previous;
    pane.sentence->setText(sentence);
    pane.sentence->setVisible(!sentence.isEmpty());
    pane.legend->hide();
    pane.months.clear();
}

void CStatisticsWindow::Drop() {
    m_pendingRefresh->stop();
    m_heading->clear();
    for (QLabel* value :
         {m_figures.trips, m_figures.distance, m_figures.expenses, m_figures.cost,
          m_figures.fillUps, m_figures.volume, m_figures.fuelCost, m_figures.efficiency,
          m_figures.costPerDistance, m_figures.costDistance, m_figures.servicesCompleted,
          m_figures.servicesPastDue, m_figures.nextDue, m_figures.upcoming})
        value->clear();
    for (QFormLayout* rows : {m_distanceByCategory, m_costByCategory})
        while (rows->rowCount() > 0)
            rows->removeRow(0);
    for (int chart = 0; chart < kChartCount; ++chart)
        ReplaceChart(static_cast<Chart>(chart), MakeChart(QString()), QString());
}

void CStatisticsWindow::SaveChart(int chart) {
    if (chart < 0 || chart >= kChartCount)
        return;
    QString proposed = QDir::home().filePath(m_charts[chart].fileName);
    // A target the output guard refuses opens the dialog again.
    for (;;) {
        QString path =
            FileDialog::getSaveFileName(this, "Save Chart", proposed, "PNG images (*.png)");
        if (path.isEmpty())
            return;
        if (QFileInfo(path).suffix().isEmpty())
            path += ".png";
        QString error;
        try {
            error = WritePng(m_charts[chart].view->grab().toImage(), path);
        } catch (const MExceptTargetRefused& refused) {
            MessageBox::warning(this, QString::fromStdString(refused.AskAgainText()));
            proposed = path;
            continue;
        } catch (const MExcept& failure) {
            error = failure.Message();
        } catch (const std::exception& failure) {
            error = QString::fromLocal8Bit(failure.what());
        }
        if (!error.isEmpty())
            MessageBox::warning(this, QString("The chart could not be saved to %1.\n%2")
                                          .arg(QDir::toNativeSeparators(path), error));
        return;
    }
}
