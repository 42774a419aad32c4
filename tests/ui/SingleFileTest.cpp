// Opening and inspecting a movie; Compress, Decompress and Estimate with their mends.

#include "GuiFixture.h"
#include "codec/FileIO.h"
#include "codec/SwfImage.h"
#include "codec/Transforms.h"
#include "support/MovieBytes.h"
#include "support/WriteFaults.h"
#include "ui/ZoomView.h"

#include <QAction>
#include <QCursor>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

struct Panel {
    QString status, version, fileStatus, length, rate, estimate;
};

class SingleFileTest : public GuiTest {
protected:
    void TearDown() override {
        SetWriteFaultHook({});
        EXPECT_FALSE(ScratchLeft("$test.swf"));
        EXPECT_FALSE(ScratchLeft("$test2.swf"));
        GuiTest::TearDown();
    }
    std::string Movie(const std::vector<std::uint8_t>& bytes, const char* name = "movie.swf") {
        WriteBytes(Path(name), bytes);
        return Path(name);
    }
    Panel Texts() const {
        return {Child<QLabel>(main, "CStatus")->text(), Child<QLabel>(main, "Ver")->text(),
                Child<QLabel>(main, "FStatus")->text(), Child<QLabel>(main, "FLen")->text(),
                Child<QLabel>(main, "FR")->text(),      Child<QLabel>(main, "Est")->text()};
    }
    void ExpectPlainItems() {
        EXPECT_TRUE(Child<QAction>(main, "Comp")->isVisible());
        EXPECT_TRUE(Child<QAction>(main, "Comp")->isEnabled());
        EXPECT_FALSE(Child<QAction>(main, "Decomp")->isVisible());
        EXPECT_FALSE(Child<QAction>(main, "Decomp")->isEnabled());
        EXPECT_TRUE(Child<QPushButton>(main, "Estimate")->isEnabled());
    }
    void ExpectCompressedItems() {
        EXPECT_FALSE(Child<QAction>(main, "Comp")->isVisible());
        EXPECT_FALSE(Child<QAction>(main, "Comp")->isEnabled());
        EXPECT_TRUE(Child<QAction>(main, "Decomp")->isVisible());
        EXPECT_TRUE(Child<QAction>(main, "Decomp")->isEnabled());
        EXPECT_FALSE(Child<QPushButton>(main, "Estimate")->isEnabled());
    }
    void Save(QAction* command, const std::string& chosen) {
        modal.saveAnswers.push_back(QString::fromStdString(chosen));
        command->trigger();
    }
    std::vector<QString> Messages() const {
        std::vector<QString> shown;
        for (const auto& labels : modal.visibleMessages) {
            shown.insert(shown.end(), labels.begin(), labels.end());
        }
        return shown;
    }
};

TEST_F(SingleFileTest, PlainMovie) {
    const auto bytes =
        PlainMovie(MovieParams{.version = 6, .frameRate8_8 = 12 * 256, .frameCount = 3});
    OpenMovie(Movie(bytes));
    EXPECT_EQ(SourceFileName, Path("movie.swf"));
    EXPECT_EQ(modal.filters, std::vector<QString>{QStringLiteral("SWF File (*.swf)")});
    const Panel panel = Texts();
    EXPECT_EQ(panel.status, QStringLiteral("Uncompressed"));
    EXPECT_EQ(panel.version, QStringLiteral("v6"));
    EXPECT_EQ(panel.fileStatus, QStringLiteral("Ok"));
    EXPECT_EQ(panel.length, QString::number(bytes.size()) + QStringLiteral(" bytes"));
    EXPECT_EQ(panel.rate, QStringLiteral("12 fps"));
    EXPECT_EQ(panel.estimate, QStringLiteral("Click \"Estimate\""));
    ExpectPlainItems();
    // The player runs the movie and its items are on.
    for (QAction* item : {Child<QAction>(main, "Expand"), Child<QAction>(main, "Fit"),
                          Child<QAction>(main, "SS"), Child<QAction>(main, "Stop"),
                          Child<QAction>(main, "ZoomIn"), Child<QAction>(main, "ZoomOut")}) {
        EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();
    }
    EXPECT_FALSE(Child<QAction>(main, "PlaySource")->isEnabled());
    EXPECT_TRUE(Child<QDoubleSpinBox>(main, "SpinZoom")->isEnabled());
    EXPECT_TRUE(Child<QLabel>(main, "LabelZoom")->isEnabled());
    EXPECT_EQ(Child<QLabel>(main, "Label2")->text(), QStringLiteral("3"));
    EXPECT_TRUE(modal.errorBoxes.empty());
}

TEST_F(SingleFileTest, CompressedMovieShowsTheDeclaredPlainLength) {
    const auto plain = PlainMovie(MovieParams{.padding = 400});
    const auto packed = CompressSwfImage(plain, 9);
    ASSERT_LT(packed.size(), plain.size());
    OpenMovie(Movie(packed));
    const Panel panel = Texts();
    EXPECT_EQ(panel.status, QStringLiteral("Compressed"));
    EXPECT_EQ(panel.fileStatus, QStringLiteral("Ok"));
    EXPECT_EQ(panel.length, QString::number(plain.size()) + QStringLiteral(" bytes"));
    EXPECT_EQ(panel.estimate, QStringLiteral("File is compressed"));
    ExpectCompressedItems();
}

TEST_F(SingleFileTest, CompressedMovieDeclaringTooMuchCountsAsUncompressed) {
    auto packed = CompressedMovie(MovieParams{.version = 9});
    const std::uint32_t realLength =
        static_cast<std::uint32_t>(PlainMovie(MovieParams{.version = 9}).size());
    SetDeclaredLength(packed, realLength * 2);
    OpenMovie(Movie(packed));
    const Panel panel = Texts();
    EXPECT_EQ(panel.status, QStringLiteral("Uncompressed"));
    EXPECT_EQ(panel.version, QStringLiteral("v9"));
    EXPECT_EQ(panel.length, QString::number(packed.size()) + QStringLiteral(" bytes"));
    EXPECT_EQ(panel.fileStatus, QStringLiteral("File is damaged!"));
    ExpectPlainItems();
}

TEST_F(SingleFileTest, CorruptZlibDataCountsAsUncompressed) {
    auto packed = CompressedMovie(MovieParams{.padding = 50});
    for (std::size_t i = 10; i < packed.size(); ++i) {
        packed[i] = 0xFF;
    }
    OpenMovie(Movie(packed));
    EXPECT_EQ(Child<QLabel>(main, "CStatus")->text(), QStringLiteral("Uncompressed"));
    EXPECT_EQ(Child<QLabel>(main, "FStatus")->text(), QStringLiteral("File is damaged!"));
    ExpectPlainItems();
}

TEST_F(SingleFileTest, PlainMovieWithWrongLengthIsDamaged) {
    auto bytes = PlainMovie();
    SetDeclaredLength(bytes, static_cast<std::uint32_t>(bytes.size() + 5));
    OpenMovie(Movie(bytes));
    EXPECT_EQ(Child<QLabel>(main, "CStatus")->text(), QStringLiteral("Uncompressed"));
    EXPECT_EQ(Child<QLabel>(main, "FStatus")->text(), QStringLiteral("File is damaged!"));
    // A stored length of 2^31 or more never matches.
    SetDeclaredLength(bytes, 0x80000000u);
    OpenMovie(Movie(bytes, "huge.swf"));
    EXPECT_EQ(Child<QLabel>(main, "FStatus")->text(), QStringLiteral("File is damaged!"));
}

TEST_F(SingleFileTest, VersionTenAndAFractionalRate) {
    OpenMovie(Movie(PlainMovie(MovieParams{.version = 10, .frameRate8_8 = 24 * 256 + 128})));
    EXPECT_EQ(Child<QLabel>(main, "Ver")->text(), QStringLiteral("v10"));
    EXPECT_EQ(Child<QLabel>(main, "FR")->text(), QStringLiteral("24 fps"));
}

TEST_F(SingleFileTest, EmptyMovieCountsAsCompressedAndKeepsTheHeaderTexts) {
    OpenMovie(Movie(PlainMovie(MovieParams{.version = 7})));
    const Panel before = Texts();
    OpenMovie(Movie({}, "empty.swf"));
    const Panel after = Texts();
    EXPECT_EQ(after.status, QStringLiteral("Compressed"));
    EXPECT_EQ(after.estimate, QStringLiteral("File is compressed"));
    EXPECT_EQ(after.version, before.version);
    EXPECT_EQ(after.rate, before.rate);
    EXPECT_EQ(after.length, before.length);
    EXPECT_EQ(after.fileStatus, before.fileStatus);
    ExpectCompressedItems();
    EXPECT_TRUE(modal.errorBoxes.empty());
    EXPECT_TRUE(modal.plainMessages.empty());
}

TEST_F(SingleFileTest, ShortMovieReachesTheErrorBoxAndKeepsThePanel) {
    OpenMovie(Movie(PlainMovie()));
    const Panel before = Texts();
    OpenMovie(Movie({'F', 'W', 'S', 1}, "short.swf"));
    EXPECT_EQ(modal.errorBoxes, std::vector<QString>{QStringLiteral("Stream read error.")});
    const Panel after = Texts();
    EXPECT_EQ(after.status, before.status);
    EXPECT_EQ(after.length, before.length);
}

// The inflated copy cannot be written: "Disk full!", and the panel still describes this
// movie, never the one opened before.
TEST_F(SingleFileTest, FullDiskOnOpeningShowsThisMoviesOwnValues) {
    OpenMovie(Movie(PlainMovie(MovieParams{.version = 6, .frameRate8_8 = 12 * 256})));
    const MovieParams params{.version = 9, .frameRate8_8 = 30 * 256, .padding = 50};
    SetWriteFaultHook([](WriteStep step) { return step == WriteStep::Write ? ENOSPC : 0; });
    OpenMovie(Movie(CompressedMovie(params), "packed.swf"));
    SetWriteFaultHook({});
    EXPECT_EQ(modal.plainMessages, std::vector<QString>{QStringLiteral("Disk full!")});
    const Panel panel = Texts();
    EXPECT_EQ(panel.status, QStringLiteral("Compressed"));
    EXPECT_EQ(panel.version, QStringLiteral("v9"));
    EXPECT_EQ(panel.rate, QStringLiteral("30 fps"));
    EXPECT_EQ(panel.fileStatus, QStringLiteral("Ok"));
    EXPECT_EQ(panel.length, QString::number(PlainMovie(params).size()) + QStringLiteral(" bytes"));
}

// A link planted under the scratch names beside the program is removed, never written
// through, by opening and by Estimate.
TEST_F(SingleFileTest, ScratchNamesNeverWriteThroughALink) {
    const std::string victim = Path("victim.txt");
    WriteBytes(victim, std::vector<std::uint8_t>{'k', 'e', 'e', 'p'});
    for (const char* name : {"$test.swf", "$test2.swf"}) {
        fs::create_symlink(victim, (ui::ExeFolder() + QString::fromLatin1(name)).toStdString());
    }
    OpenMovie(Movie(PlainMovie(MovieParams{.padding = 300})));
    Child<QAction>(main, "AEstimate")->trigger();
    EXPECT_TRUE(Child<QLabel>(main, "Est")->text().endsWith(QStringLiteral(" bytes")));
    EXPECT_EQ(ReadBytes(victim), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
}

TEST_F(SingleFileTest, MovieThatCannotBeOpenedIsSilent) {
    SourceFileName = Path("gone.swf");
    main->OpenSWFFile();
    EXPECT_TRUE(modal.errorBoxes.empty());
    EXPECT_TRUE(Child<QLabel>(main, "CStatus")->text().isEmpty());
}

TEST_F(SingleFileTest, OpeningResetsTheZoomFactor) {
    ZoomFactor = 2.5;
    ui::Zoom.ViewLeft = 7;
    ui::Zoom.ViewTop = 8;
    OpenMovie(Movie(PlainMovie(MovieParams{.xmax = 4400, .ymax = 2200})));
    EXPECT_EQ(ZoomFactor, 1.0);
    EXPECT_EQ(ui::Zoom.FrameXMax, 4400);
    EXPECT_EQ(ui::Zoom.ViewRight, 4400);
    EXPECT_EQ(ui::Zoom.ViewBottom, 2200);
    EXPECT_EQ(ui::Zoom.ViewLeft, 0);
    EXPECT_EQ(ui::Zoom.ViewTop, 0);
}

TEST_F(SingleFileTest, CompressAppendsTheExtensionAlways) {
    OpenMovie(Movie(PlainMovie(MovieParams{.padding = 200})));
    Save(Child<QAction>(main, "ACompress"), Path("out"));
    EXPECT_EQ(TargetFileName, Path("out.swf"));
    ASSERT_TRUE(fs::exists(Path("out.swf")));
    EXPECT_EQ(ReadBytes(Path("out.swf"))[0], 'C');
    Save(Child<QAction>(main, "ACompress"), Path("out.swf"));
    EXPECT_TRUE(fs::exists(Path("out.swf.swf")));
    EXPECT_EQ(Messages(),
              (std::vector<QString>{QStringLiteral("MesComp"), QStringLiteral("MesComp")}));
    EXPECT_EQ(modal.filters.back(), QStringLiteral("Flash File (*.swf)"));
}

TEST_F(SingleFileTest, CompressOntoTheSourceReplacesIt) {
    const auto plain = PlainMovie(MovieParams{.padding = 100});
    OpenMovie(Movie(plain));
    Save(Child<QAction>(main, "ACompress"), Path("movie"));
    const auto written = ReadBytes(Path("movie.swf"));
    EXPECT_EQ(written, CompressSwfImage(plain, 9));
    // The panel still describes the movie as it was opened.
    EXPECT_EQ(Child<QLabel>(main, "CStatus")->text(), QStringLiteral("Uncompressed"));
}

// Each dialog opens where the user left it: the open dialog in the folder of the last
// movie, the save and screenshot dialogs at the last name given in each.
TEST_F(SingleFileTest, EachFileDialogKeepsItsPlaceForTheSession) {
    fs::create_directories(Path("in"));
    fs::create_directories(Path("out"));
    fs::create_directories(Path("shots"));
    const std::string movie = Movie(PlainMovie(), "in/movie.swf");
    OpenMovie(movie);
    Save(Child<QAction>(main, "ACompress"), Path("out/small"));
    modal.saveAnswers.push_back(QString::fromStdString(Path("shots/frame")));
    Child<QAction>(main, "AScreenShot")->trigger();
    modal.saveAnswers.push_back(QString()); // cancelled: the place stays
    Child<QAction>(main, "AScreenShot")->trigger();
    OpenMovie(movie);
    Save(Child<QAction>(main, "ACompress"), Path("out/again"));
    Child<QAction>(main, "AScreenShot")->trigger();

    const auto text = [](const std::string& path) { return QString::fromStdString(path); };
    EXPECT_EQ(modal.starts,
              (std::vector<QString>{QString(), QString(), QString(), text(Path("shots/frame")),
                                    text(Path("in")), text(Path("out/small")),
                                    text(Path("shots/frame"))}));
}

TEST_F(SingleFileTest, CancelledSaveWritesNothing) {
    OpenMovie(Movie(PlainMovie()));
    Child<QAction>(main, "ACompress")->trigger();
    EXPECT_TRUE(modal.visibleMessages.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(SingleFileTest, DecompressWritesThePlainMovie) {
    const auto plain = PlainMovie(MovieParams{.padding = 80});
    OpenMovie(Movie(CompressSwfImage(plain, 9)));
    Save(Child<QAction>(main, "ADecompress"), Path("plain"));
    EXPECT_EQ(TargetFileName, Path("plain.swf"));
    EXPECT_EQ(ReadBytes(Path("plain.swf")), plain);
    EXPECT_EQ(Messages(), std::vector<QString>{QStringLiteral("MesDecomp")});
}

TEST_F(SingleFileTest, DecompressOfDamagedDataSaysSoAndStillWrites) {
    auto packed = CompressedMovie(MovieParams{.padding = 300});
    for (std::size_t i = packed.size() / 2; i < packed.size(); ++i) {
        packed[i] ^= 0x5A;
    }
    OpenMovie(Movie(CompressedMovie()));
    SourceFileName = Movie(packed, "damaged.swf");
    Save(Child<QAction>(main, "ADecompress"), Path("out"));
    EXPECT_TRUE(fs::exists(Path("out.swf")));
    EXPECT_EQ(Messages(), std::vector<QString>{QStringLiteral("MesDam")});
}

TEST_F(SingleFileTest, SourceGoneSaysLoadFirstAndWritesNothing) {
    OpenMovie(Movie(PlainMovie()));
    fs::remove(Path("movie.swf"));
    Save(Child<QAction>(main, "ACompress"), Path("out"));
    EXPECT_FALSE(fs::exists(Path("out.swf")));
    EXPECT_EQ(Messages(), std::vector<QString>{QStringLiteral("MesLoad")});
}

TEST_F(SingleFileTest, EmptySourceIsReportedNotPraised) {
    OpenMovie(Movie({}, "empty.swf"));
    // The player cannot show an empty file and says so; that is not under test here.
    EXPECT_EQ(Messages(), std::vector<QString>{QStringLiteral("MesPlay")});
    modal.visibleMessages.clear();
    Save(Child<QAction>(main, "ADecompress"), Path("out"));
    Child<QAction>(main, "AEstimate")->setEnabled(true);
    Child<QLabel>(main, "Est")->setText(QStringLiteral("before"));
    Child<QAction>(main, "AEstimate")->trigger();
    EXPECT_FALSE(fs::exists(Path("out.swf")));
    EXPECT_TRUE(Messages().empty());
    ASSERT_EQ(modal.errorBoxes.size(), 2u);
    for (const QString& text : modal.errorBoxes) {
        EXPECT_TRUE(text.contains(QString::fromStdString(Path("empty.swf")))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("empty"))) << text.toStdString();
    }
    EXPECT_EQ(Child<QLabel>(main, "Est")->text(), QStringLiteral("before"));
}

TEST_F(SingleFileTest, FullDiskGivesNoSuccessMessage) {
    OpenMovie(Movie(PlainMovie(MovieParams{.padding = 100})));
    SetWriteFaultHook([](WriteStep step) { return step == WriteStep::Write ? ENOSPC : 0; });
    Save(Child<QAction>(main, "ACompress"), Path("out"));
    EXPECT_EQ(modal.plainMessages, std::vector<QString>{QStringLiteral("Disk full!")});
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(fs::exists(Path("out.swf")));
}

TEST_F(SingleFileTest, WaitCursorWhileTheTransformRunsOnly) {
    OpenMovie(Movie(PlainMovie()));
    std::vector<Qt::CursorShape> during;
    SetWriteFaultHook([&during](WriteStep step) {
        if (step == WriteStep::Write) {
            const QCursor* cursor = QApplication::overrideCursor();
            during.push_back(cursor ? cursor->shape() : Qt::ArrowCursor);
        }
        return 0;
    });
    Save(Child<QAction>(main, "ACompress"), Path("out"));
    Child<QAction>(main, "AEstimate")->trigger();
    EXPECT_EQ(during, (std::vector<Qt::CursorShape>{Qt::WaitCursor, Qt::WaitCursor}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SingleFileTest, EstimateIsTheSizeCompressWrites) {
    OpenMovie(Movie(PlainMovie(MovieParams{.padding = 500})));
    Child<QAction>(main, "AEstimate")->trigger();
    Save(Child<QAction>(main, "ACompress"), Path("out"));
    EXPECT_EQ(Child<QLabel>(main, "Est")->text(),
              QString::number(fs::file_size(Path("out.swf"))) + QStringLiteral(" bytes"));
    EXPECT_FALSE(Child<QPushButton>(main, "Estimate")->isEnabled());
}

TEST_F(SingleFileTest, FailedEstimateLeavesNothingAndShowsNoSize) {
    OpenMovie(Movie(PlainMovie(MovieParams{.padding = 500})));
    SetWriteFaultHook([](WriteStep step) { return step == WriteStep::Flush ? ENOSPC : 0; });
    Child<QAction>(main, "AEstimate")->trigger();
    EXPECT_EQ(modal.plainMessages, std::vector<QString>{QStringLiteral("Disk full!")});
    EXPECT_EQ(Child<QLabel>(main, "Est")->text(), QStringLiteral("Click \"Estimate\""));
    EXPECT_TRUE(Child<QPushButton>(main, "Estimate")->isEnabled());
}

TEST_F(SingleFileTest, UnwritableTargetReachesTheErrorBox) {
    OpenMovie(Movie(PlainMovie()));
    Save(Child<QAction>(main, "ACompress"), Path("no-such-folder/out"));
    ASSERT_EQ(modal.errorBoxes.size(), 1u);
    EXPECT_TRUE(modal.errorBoxes[0].startsWith(QStringLiteral("Cannot create file")));
    EXPECT_TRUE(Messages().empty());
}

} // namespace
} // namespace quillon::test
