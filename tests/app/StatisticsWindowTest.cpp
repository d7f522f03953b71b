// The Vehicle Statistics window in a started program: its figures and charts
// on empty, thin and filled data, following the filter pane, the records, the
// units and its own showing, a HotSync reload while it is open, and saving a
// chart as a PNG image.

#include "StatisticsWindow.h"
#include "AppFixture.h"
#include "Clock.h"
#include "FileDialog.h"
#include "TabForm.h"
#include "TvDeskDoc.h"
#include "VehicleStatistics.h"

#include <QAbstractBarSeries>
#include <QAction>
#include <QApplication>
#include <QBarSet>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

MTime At(int year, int month, int day) {
    return MTime(year, month, day, 12, 0, 0, -1);
}

class StatisticsWindowTest : public FrameFixture {
protected:
    CTvDeskDoc& Doc() { return m_app->Doc(); }

    std::uint32_t AddVehicle(const char* name) {
        VehicleRecord vehicle = Doc().Vehicles().CreateRecord();
        vehicle.VehicleId = Doc().Vehicles().NewId();
        vehicle.Name.Set(name);
        return Doc().Vehicles().Append(vehicle).VehicleId;
    }
    static std::uint32_t AddCategory(CategoryList& list, const char* name) {
        CategoryEntry entry;
        entry.Name = name;
        entry.Category = static_cast<std::uint32_t>(list.FreeIndex());
        return list.Add(entry).Category;
    }
    void AddTrip(std::uint32_t vehicle, const MTime& start, std::int32_t from, std::int32_t to,
                 std::uint32_t category = 0) {
        TripRecord trip(start);
        trip.VehicleId = vehicle;
        trip.StartOdometer = from;
        trip.EndOdometer = to;
        trip.Category = category;
        Doc().Trips().Append(std::move(trip));
    }
    // Cost and volume in thousandths; a volume makes it a fill-up.
    void AddExpense(std::uint32_t vehicle, const MTime& date, std::int32_t cost,
                    std::int32_t odometer, std::uint32_t category, std::int32_t volume = -1) {
        ExpenseRecord expense(date);
        expense.VehicleId = vehicle;
        expense.Cost = cost;
        expense.Odometer = odometer;
        expense.Category = category;
        expense.ExpenseFlags = volume >= 0 ? ExpenseFlagBits::FuelPurchase : 0;
        expense.Volume = std::max(volume, 0);
        Doc().Expenses().Append(std::move(expense));
    }

    // Tells the views of a change, as a list does after an edit; the filter
    // pane then chooses the first vehicle by name.
    void Broadcast() {
        Doc().UpdateAllViews(nullptr, 0);
        QApplication::processEvents();
    }
    void ChooseVehicle(const QString& name) {
        auto* vehicles = m_frame->TabForm()->findChildren<QComboBox*>().at(0);
        const int index = vehicles->findText(name);
        ASSERT_GE(index, 0) << name.toStdString();
        vehicles->setCurrentIndex(index);
        emit vehicles->activated(index);
        QApplication::processEvents();
    }
    CStatisticsWindow* Open() {
        m_frame->findChild<QAction*>("actionVehicleStatistics")->trigger();
        QApplication::processEvents();
        return m_frame->findChild<CStatisticsWindow*>();
    }
    template <typename T = QLabel> T* Child(const QString& name) const {
        T* child = m_frame->findChild<CStatisticsWindow*>()->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name.toStdString();
        return child;
    }
    QString Value(const char* name) const { return Child(name)->text(); }
    QChart* Chart(const QString& name) const { return Child<QChartView>(name + "Chart")->chart(); }
    // What a chart plots: the points of its line, the bars of all its sets.
    int PointCount(const QString& name) const {
        int count = 0;
        for (QAbstractSeries* series : Chart(name)->series()) {
            if (auto* line = qobject_cast<QLineSeries*>(series))
                count += static_cast<int>(line->count());
            if (auto* bars = qobject_cast<QAbstractBarSeries*>(series))
                for (const QBarSet* set : bars->barSets())
                    count += static_cast<int>(set->count());
        }
        return count;
    }
    // No text of the window is not-a-number, and every value axis has a range.
    void ExpectNoNaN() const {
        auto* window = m_frame->findChild<CStatisticsWindow*>();
        for (const QLabel* label : window->findChildren<QLabel*>())
            EXPECT_FALSE(label->text().contains(
                QRegularExpression("nan|inf", QRegularExpression::CaseInsensitiveOption)))
                << label->text().toStdString();
        for (const QChartView* view : window->findChildren<QChartView*>())
            for (const QAbstractAxis* axis : view->chart()->axes(Qt::Vertical)) {
                const auto* values = qobject_cast<const QValueAxis*>(axis);
                ASSERT_NE(values, nullptr);
                EXPECT_TRUE(std::isfinite(values->min()) && std::isfinite(values->max()));
                EXPECT_LT(values->min(), values->max());
            }
    }

    // A van with trips, fill-ups, a repair and service work in March to May
    // 2024; the tests work out the answers by hand.
    void AddVan() {
        m_van = AddVehicle("Van");
        const std::uint32_t business = AddCategory(Doc().Trips().Categories, "Business");
        const std::uint32_t fuel = AddCategory(Doc().Expenses().Categories, "Fuel");
        const std::uint32_t repairs = AddCategory(Doc().Expenses().Categories, "Repairs");
        AddTrip(m_van, At(2024, 3, 5), 1000, 1100, business);
        AddTrip(m_van, At(2024, 3, 20), 1100, 1150);
        AddTrip(m_van, At(2024, 4, 2), 1150, 1300, business);
        AddExpense(m_van, At(2024, 3, 6), 30000, 1100, fuel, 10000);
        AddExpense(m_van, At(2024, 4, 3), 36500, 1400, fuel, 12000);
        AddExpense(m_van, At(2024, 4, 10), 120250, 1420, repairs);
        AddExpense(m_van, At(2024, 5, 1), 31000, 1700, fuel, 10000);
        ServiceTypeRecord oil;
        oil.Name.Set("Oil Change");
        oil.ServiceTypeId = Doc().ServiceTypes().NewId();
        oil.TimeUnit = static_cast<std::uint8_t>(TimeUnit::Months);
        oil.TimeCount = 3;
        Doc().ServiceTypes().Append(oil);
        // Done in March, past due since April, due in June.
        const std::tuple<MTime, std::int32_t, std::uint16_t> work[] = {
            {At(2024, 3, 15), 1120, ServiceFlagBits::Completed},
            {At(2024, 4, 1), 1200, 0},
            {At(2024, 6, 15), 4000, 0}};
        for (const auto& [date, odometer, flags] : work) {
            ServiceRecord entry(date);
            entry.VehicleId = m_van;
            entry.ServiceTypeId = oil.ServiceTypeId;
            entry.Odometer = odometer;
            entry.ServiceFlags = flags;
            Doc().Services().Append(std::move(entry));
        }
    }

    const Clock::ScopedFix m_now{At(2024, 5, 15)};
    std::uint32_t m_van = 0;
};

TEST_F(StatisticsWindowTest, EmptyAndThinDataShowPlainSentencesNeverNaN) {
    // No vehicle at all.
    CStatisticsWindow* window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Vehicle Statistics");
    EXPECT_EQ(Value("heading"), "No vehicle is chosen.");
    EXPECT_EQ(Value("distanceValue"), "0 Miles");
    EXPECT_EQ(Value("costValue"), "0.00");
    EXPECT_EQ(Value("efficiencyValue"), "Unknown");
    EXPECT_EQ(Value("costPerDistanceValue"), "Unknown");
    EXPECT_EQ(Value("costDistanceValue"), "None");
    EXPECT_EQ(Value("nextDueValue"), "None");
    const std::pair<const char*, const char*> sentences[] = {
        {"efficiency", "No fill-ups in this range."},
        {"cost", "No expenses in this range."},
        {"distance", "No trips in this range."}};
    for (const auto& [chart, sentence] : sentences) {
        EXPECT_TRUE(Chart(chart)->series().isEmpty()) << chart;
        EXPECT_TRUE(Child(QString(chart) + "Sentence")->isVisible()) << chart;
        EXPECT_EQ(Child(QString(chart) + "Sentence")->text(), sentence);
    }
    ExpectNoNaN();

    // Two fill-ups and no trips; the second has no volume, so no fill-up has
    // an efficiency, and the cost's distance is the readings' span. The
    // names are the file's Windows-1252 bytes, and never markup.
    const std::uint32_t van = AddVehicle("Caf\xe9 \x80 van");
    const std::uint32_t fuel = AddCategory(Doc().Expenses().Categories, "<b>Fuel</b>");
    AddExpense(van, At(2024, 3, 1), 20000, 1000, fuel, 8000);
    AddExpense(van, At(2024, 3, 9), 5000, 1250, fuel, 0);
    Broadcast();
    EXPECT_EQ(Value("heading"), QString::fromUtf8("Café € van, all dates"));
    EXPECT_EQ(Value("fillUpsValue"), "2");
    EXPECT_EQ(Value("efficiencyValue"), "Unknown");
    EXPECT_TRUE(Chart("efficiency")->series().isEmpty());
    EXPECT_TRUE(Child("efficiencySentence")->isVisible());
    EXPECT_NE(Value("efficiencySentence"), "No fill-ups in this range.");
    EXPECT_EQ(Value("costDistanceValue"), "250 Miles, from the odometer readings of the expenses");
    EXPECT_EQ(Value("costPerDistanceValue"), "0.10");
    EXPECT_EQ(PointCount("cost"), 1);
    EXPECT_FALSE(Child("costSentence")->isVisible());
    const auto* bars = qobject_cast<QAbstractBarSeries*>(Chart("cost")->series().value(0));
    ASSERT_NE(bars, nullptr);
    EXPECT_EQ(bars->barSets()[0]->label(), "<b>Fuel</b>");
    const QList<QLabel*> labels = window->findChildren<QLabel*>();
    const auto named = std::find_if(labels.begin(), labels.end(),
                                    [](QLabel* label) { return label->text() == "<b>Fuel</b>:"; });
    ASSERT_NE(named, labels.end());
    EXPECT_EQ((*named)->textFormat(), Qt::PlainText);
    ExpectNoNaN();

    // Expenses that cost nothing draw no bars, and say so.
    for (ExpenseRecord& expense : Doc().Expenses().Records())
        expense.Cost = 0;
    Broadcast();
    EXPECT_EQ(PointCount("cost"), 0);
    EXPECT_TRUE(Child("costSentence")->isVisible());
    EXPECT_EQ(Value("costPerDistanceValue"), "0.00");
    ExpectNoNaN();
}

TEST_F(StatisticsWindowTest, FilledDataShowsTheFiguresAndChartsInTheFilesUnits) {
    AddVan();
    Broadcast();
    Open();
    const VehicleStatistics expected =
        ComputeVehicleStatistics(Doc(), StatisticsScope::FromDocument(Doc()), Clock::Now());

    EXPECT_EQ(Value("heading"), "Van, all dates");
    EXPECT_EQ(Value("tripsValue"), "3");
    EXPECT_EQ(Value("distanceValue"), "300 Miles");
    EXPECT_EQ(Value("expensesValue"), "4");
    EXPECT_EQ(Value("costValue"), "217.75");
    EXPECT_EQ(Value("fillUpsValue"), "3");
    EXPECT_EQ(Value("volumeValue"), "32.00 Gallons");
    EXPECT_EQ(Value("fuelCostValue"), "97.50");
    // 600 miles from the first to the last fill-up on the 22 gallons after it.
    EXPECT_EQ(Value("efficiencyValue"), "27.27 MPG");
    EXPECT_EQ(Value("costPerDistanceTitle"), "Cost per Mile:");
    EXPECT_EQ(Value("costPerDistanceValue"), "0.73");
    EXPECT_EQ(Value("costDistanceValue"), "300 Miles, from trips");
    EXPECT_EQ(Value("servicesCompletedValue"), "1");
    EXPECT_EQ(Value("servicesPastDueValue"), "1");
    EXPECT_EQ(Value("nextDueValue"), "Oil Change on 6/15/2024 or at 4000 Miles");
    // Each category's row follows its name.
    QStringList texts;
    for (const QLabel* label : m_frame->findChild<CStatisticsWindow*>()->findChildren<QLabel*>())
        texts << label->text();
    EXPECT_EQ(texts.at(texts.indexOf("Business:") + 1), "250 Miles");
    EXPECT_EQ(texts.at(texts.indexOf("Repairs:") + 1), "120.25");

    // Two fill-ups follow an earlier one. Three months, March to May: Fuel
    // and Repairs stack, Unfiled cost nothing and is left out.
    ASSERT_EQ(expected.Months.size(), 3u);
    const auto* line = qobject_cast<QLineSeries*>(Chart("efficiency")->series().value(0));
    ASSERT_NE(line, nullptr);
    ASSERT_EQ(line->count(), 2);
    EXPECT_DOUBLE_EQ(line->at(0).y(), 25.0);
    EXPECT_DOUBLE_EQ(line->at(1).y(), 30.0);
    const auto* costs = qobject_cast<QAbstractBarSeries*>(Chart("cost")->series().value(0));
    ASSERT_NE(costs, nullptr);
    ASSERT_EQ(costs->count(), 2);
    EXPECT_EQ(PointCount("cost"), 6);
    EXPECT_DOUBLE_EQ(costs->barSets()[0]->at(1), 36.5);
    EXPECT_DOUBLE_EQ(costs->barSets()[1]->at(1), 120.25);
    const auto* distances = qobject_cast<QAbstractBarSeries*>(Chart("distance")->series().value(0));
    ASSERT_NE(distances, nullptr);
    ASSERT_EQ(distances->barSets()[0]->count(), 3);
    for (int month = 0; month < 3; ++month)
        EXPECT_DOUBLE_EQ(distances->barSets()[0]->at(month),
                         double(expected.Months[std::size_t(month)].Distance));
    for (const char* chart : {"efficiency", "cost", "distance"})
        EXPECT_FALSE(Child(QString(chart) + "Sentence")->isVisible()) << chart;
    ExpectNoNaN();

    // The settings switch the file to kilometres and litres.
    Doc().Trips().Settings[0] |= RecordStore::kUnitsKilometres;
    m_frame->RebuildActiveView();
    EXPECT_EQ(Value("distanceValue"), "300 Kilometers");
    EXPECT_EQ(Value("volumeValue"), "32.00 Liters");
    EXPECT_EQ(Value("efficiencyValue"), "27.27 Km/L");
    EXPECT_EQ(Value("costPerDistanceTitle"), "Cost per Kilometer:");
    EXPECT_EQ(Chart("efficiency")->title(), "Fuel Efficiency (Km/L)");
}

TEST_F(StatisticsWindowTest, TheWindowFollowsTheFilterTheRecordsAndItsOwnShowing) {
    AddVan();
    // After the van by name: the filter pane chooses the van at each broadcast.
    AddTrip(AddVehicle("Wagon"), At(2024, 3, 1), 200, 260);
    Broadcast();
    CStatisticsWindow* window = Open();
    ASSERT_EQ(Value("tripsValue"), "3");
    EXPECT_EQ(Open(), window);
    EXPECT_EQ(m_frame->findChildren<CStatisticsWindow*>().size(), 1);

    ChooseVehicle("Wagon");
    EXPECT_EQ(Value("heading"), "Wagon, all dates");
    EXPECT_EQ(Value("distanceValue"), "60 Miles");
    EXPECT_EQ(PointCount("distance"), 1);

    // The van in April: one trip, the fill-up measured from March's.
    ChooseVehicle("Van");
    CTabForm* pane = m_frame->TabForm();
    pane->findChildren<QDateEdit*>().at(0)->setDate(QDate(2024, 4, 1));
    pane->findChildren<QDateEdit*>().at(1)->setDate(QDate(2024, 4, 30));
    pane->findChild<QCheckBox*>()->click();
    QApplication::processEvents();
    EXPECT_EQ(Value("heading"), "Van, 4/1/2024 through 4/30/2024");
    EXPECT_EQ(Value("distanceValue"), "150 Miles");
    EXPECT_EQ(Value("costValue"), "156.75");
    EXPECT_EQ(PointCount("distance"), 1);
    EXPECT_EQ(PointCount("efficiency"), 1);
    ExpectNoNaN();

    AddTrip(m_van, At(2024, 4, 20), 1300, 1340);
    Broadcast();
    EXPECT_EQ(Value("distanceValue"), "190 Miles");

    // Escape from a chart closes the window; hidden, it computes nothing, and
    // shown again it is up to date.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(Child<QChartView>("efficiencyChart"), &escape);
    EXPECT_FALSE(window->isVisible());
    AddTrip(m_van, At(2024, 4, 21), 1340, 1400);
    Broadcast();
    EXPECT_EQ(Value("distanceValue"), "190 Miles");
    EXPECT_EQ(Open(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Value("distanceValue"), "250 Miles");
}

TEST_F(StatisticsWindowTest, AHotSyncReloadEmptiesTheWindowThenShowsTheNewData) {
    AddVan();
    ASSERT_TRUE(Doc().OnSaveDocument(Doc().PathName()));
    Broadcast();
    CStatisticsWindow* window = Open();
    ASSERT_EQ(Value("tripsValue"), "3");

    // The conduit adds a trip to the file.
    {
        TvDocument conduit;
        ASSERT_TRUE(conduit.OnOpenDocument(Doc().PathName()));
        TripRecord trip(At(2024, 5, 2));
        trip.VehicleId = m_van;
        trip.StartOdometer = 1700;
        trip.EndOdometer = 1800;
        conduit.Trips().Append(std::move(trip));
        ASSERT_TRUE(conduit.OnSaveDocument(Doc().PathName()));
    }
    // While the stores are emptied the window shows nothing.
    bool emptied = false;
    const auto watch = QObject::connect(&Doc(), &CTvDeskDoc::contentsCleared, [&] {
        emptied = true;
        EXPECT_EQ(Value("tripsValue"), "");
        EXPECT_EQ(Value("heading"), "");
        for (const char* chart : {"efficiency", "cost", "distance"})
            EXPECT_TRUE(Chart(chart)->series().isEmpty()) << chart;
    });
    m_app->ReloadDocument();
    QObject::disconnect(watch);
    EXPECT_TRUE(emptied);
    QApplication::processEvents();
    EXPECT_EQ(m_frame->findChild<CStatisticsWindow*>(), window);
    EXPECT_EQ(Value("heading"), "Van, all dates");
    EXPECT_EQ(Value("distanceValue"), "400 Miles");
    EXPECT_EQ(PointCount("distance"), 3);
}

TEST_F(StatisticsWindowTest, SaveChartWritesAPngAndShowsAFailure) {
    FileDialog::setTestMode(true); // no file name left over from another test
    AddVan();
    Broadcast();
    Open();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    // The button; a name without an extension gets ".png".
    FileDialog::setNextFileName(folder.filePath("efficiency"));
    Child<QPushButton>("efficiencySave")->click();
    const QImage saved(folder.filePath("efficiency.png"), "PNG");
    EXPECT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), Child<QChartView>("efficiencyChart")->size());
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());

    // The chart's context menu.
    FileDialog::setNextFileName(folder.filePath("distance.png"));
    auto* distance = Child<QChartView>("distanceChart");
    emit distance->customContextMenuRequested(QPoint(10, 10));
    auto* menu = distance->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "Save Chart...");
    menu->actions()[0]->trigger();
    menu->close();
    EXPECT_FALSE(QImage(folder.filePath("distance.png"), "PNG").isNull());

    // Cancelled: nothing written, nothing said.
    Child<QPushButton>("costSave")->click();
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());

    // A folder that is not there, and a name that is a folder's: the output
    // guard's refusal is shown and nothing is left behind.
    ASSERT_TRUE(QDir(folder.path()).mkdir("taken.png"));
    for (const QString& target :
         {folder.filePath("missing/cost.png"), folder.filePath("taken.png")}) {
        MessageBox::clearShownTexts();
        FileDialog::setNextFileName(target);
        Child<QPushButton>("costSave")->click();
        ASSERT_EQ(MessageBox::shownTexts().size(), 1) << target.toStdString();
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files),
              QStringList({"distance.png", "efficiency.png"}));
}

} // namespace
