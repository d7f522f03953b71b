// Printing and previewing the reports from the main window: the print dialog
// answered by the test, the pages written to a PDF file through the printer
// of Print Setup, and a HotSync reload while the preview is open. The reload
// frees the records the report draws from; a page drawn after it reads freed
// memory (ASan) or records of the reloaded data.

#include "ReportPrinting.h"
#include "AppFixture.h"
#include "TripView.h"
#include "TvDeskDoc.h"

#include <QFile>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimer>
#include <cstdio>
#include <string>

namespace {

// The text of a PDF as pdftotext lays it out, pages separated by form feeds.
std::string PdfText(const QString& pdf) {
    const std::string command = "pdftotext -layout '" + pdf.toStdString() + "' -";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    std::string text;
    if (pipe == nullptr)
        return text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, n);
    EXPECT_EQ(::pclose(pipe), 0) << "pdftotext failed on " << pdf.toStdString();
    return text;
}

class ReportPrinting : public FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        VehicleRecord van;
        van.Name.Set("Van");
        van.VehicleId = 7;
        Doc().Vehicles().Append(van);
        ASSERT_TRUE(m_output.isValid());
    }
    void TearDown() override {
        ::ReportPrinting::SetProgressDelay(500);
        FrameFixture::TearDown();
    }

    void AddTrips(int count, const char* const* places, int placeCount) {
        for (int i = 0; i < count; ++i) {
            TripRecord trip(MTime(2024, 3, 1 + i % 28, 9, 0, 0, -1));
            trip.VehicleId = 7;
            trip.Destination.Set(places[i % placeCount]);
            trip.StartOdometer = 100 * i;
            trip.EndOdometer = 100 * i + 10;
            Doc().Trips().Append(std::move(trip));
        }
        // What a HotSync reads again.
        ASSERT_TRUE(Doc().OnSaveDocument(Doc().PathName()));
        Doc().UpdateAllViews(nullptr, 0);
        m_frame->ShowLog(LogIndex::kTripLog);
        ASSERT_EQ(TripView()->Rows().size(), static_cast<std::size_t>(count));
    }

    CTvDeskDoc& Doc() { return m_app->Doc(); }
    CTripView* TripView() { return dynamic_cast<CTripView*>(m_frame->RightView()); }
    QString Pdf() const { return m_output.path() + "/report.pdf"; }
    void PrintToPdf() {
        m_frame->Printer().setOutputFormat(QPrinter::PdfFormat);
        m_frame->Printer().setOutputFileName(Pdf());
    }

    QTemporaryDir m_output;
};

TEST_F(ReportPrinting, PrintsTheListInItsOrderAtTheSettingsRate) {
    const char* const places[] = {"Depot", "Bank", "Mall"};
    AddTrips(3, places, 3);
    TripView()->OnColumnClick(1); // by destination
    m_app->Rate = 0.5;
    PrintToPdf();

    ModalDialog::pushHandler([](QDialog& dialog) {
        EXPECT_NE(qobject_cast<QPrintDialog*>(&dialog), nullptr);
        return int(QDialog::Accepted);
    });
    m_frame->OnFilePrint();
    EXPECT_EQ(ModalDialog::runCount(), 1);
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty())
        << MessageBox::shownTexts().join("|").toStdString();
    const std::string text = PdfText(Pdf());
    ASSERT_NE(text.find("Trip Log Report"), std::string::npos) << text;
    EXPECT_LT(text.find("Bank"), text.find("Depot"));
    EXPECT_LT(text.find("Depot"), text.find("Mall"));
    EXPECT_NE(text.find("Total cost at 0.500000 per mile"), std::string::npos) << text;

    // With Print Rate off no cost line; a cancelled print dialog prints nothing.
    m_app->PrintRate = false;
    ModalDialog::pushHandler([](QDialog&) { return int(QDialog::Accepted); });
    m_frame->OnFilePrint();
    EXPECT_EQ(PdfText(Pdf()).find("Total cost"), std::string::npos);
    ASSERT_TRUE(QFile::remove(Pdf()));
    ModalDialog::pushHandler([](QDialog&) { return int(QDialog::Rejected); });
    m_frame->OnFilePrint();
    EXPECT_FALSE(QFile::exists(Pdf()));
}

TEST_F(ReportPrinting, AReloadWhileThePreviewIsOpenClosesItAndDrawsNothingMore) {
    const char* const places[] = {"Depot", "Bank"};
    AddTrips(400, places, 2);
    // The progress window shows at once, and with it events get through
    // between pages: the reload arrives in the middle of a rendering.
    ::ReportPrinting::SetProgressDelay(0);

    int fullPages = -1, pagesDuringReload = -1, pagesAfter = -1;
    bool cancelled = false;
    ModalDialog::pushHandler([&](QDialog& dialog) {
        auto* preview = dialog.findChild<QPrintPreviewWidget*>();
        EXPECT_NE(preview, nullptr);
        if (preview == nullptr)
            return int(QDialog::Accepted);
        preview->updatePreview();
        fullPages = preview->pageCount();

        QTimer::singleShot(0, [this] { m_app->ReloadDocument(); });
        preview->updatePreview();
        pagesDuringReload = preview->pageCount();
        cancelled = !dialog.isEnabled() && dialog.result() == QDialog::Rejected;

        // The preview asked again (a page setup change) draws nothing more.
        preview->updatePreview();
        pagesAfter = preview->pageCount();
        return int(QDialog::Accepted);
    });
    m_frame->OnFilePrintPreview();

    EXPECT_GE(fullPages, 8) << "400 rows at high resolution";
    EXPECT_GE(pagesDuringReload, 1);
    EXPECT_LT(pagesDuringReload, fullPages) << "pages were drawn after the reload";
    // The preview keeps the pictures it had; no page is drawn again.
    EXPECT_EQ(pagesAfter, pagesDuringReload);
    EXPECT_TRUE(cancelled) << "the preview did not close as cancelled";
    // The list shows the trips read again, and nothing was written.
    EXPECT_EQ(TripView()->Rows().size(), 400u);
    EXPECT_FALSE(Doc().IsModified());
}

} // namespace
