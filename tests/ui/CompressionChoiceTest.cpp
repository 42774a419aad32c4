// The compression method: chosen in the Options dialog, kept in config.ini, and used by
// Compress and Estimate; LZMA movies open as compressed ones.

#include "GuiFixture.h"
#include "support/MovieBytes.h"
#include "codec/SwfImage.h"
#include "settings/IniFile.h"
#include "ui/OptionsDialog.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>

namespace quillon::test {
namespace {

class CompressionChoiceTest : public GuiTest {
protected:
    void TearDown() override {
        CompressionChoice = CompressionMethod::ZlibLevel;
        GuiTest::TearDown();
    }
    QComboBox* Box() const {
        auto* box = ui::FOutFolder->findChild<QComboBox*>(QStringLiteral("cbCompression"));
        EXPECT_NE(box, nullptr);
        return box;
    }
    std::string Stored() const {
        return IniFile(ui::ProgramConfigPath()).readString("Configuration", "Compression", "");
    }
};

TEST_F(CompressionChoiceTest, OptionsOffersTheThreeMethodsAndOkKeepsTheChoice) {
    ui::FOutFolder->FormShow();
    QComboBox* box = Box();
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(0), QStringLiteral("zlib, level 9"));
    EXPECT_EQ(box->itemText(1), QStringLiteral("zlib, smallest"));
    EXPECT_EQ(box->itemText(2), QStringLiteral("LZMA (Flash Player 11 and later)"));
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_EQ(Stored(), "");

    box->setCurrentIndex(2);
    ui::FOutFolder->tbxOk->click();
    EXPECT_EQ(CompressionChoice, CompressionMethod::Lzma);
    EXPECT_EQ(Stored(), "lzma");

    // Each showing takes the value in memory; Cancel changes nothing.
    CompressionChoice = CompressionMethod::ZlibSmallest;
    ui::FOutFolder->FormShow();
    EXPECT_EQ(box->currentIndex(), 1);
    box->setCurrentIndex(0);
    ui::FOutFolder->tbxCancel->click();
    EXPECT_EQ(CompressionChoice, CompressionMethod::ZlibSmallest);
    EXPECT_EQ(Stored(), "lzma");
}

TEST_F(CompressionChoiceTest, CompressAndEstimateUseTheChosenMethod) {
    const auto plain = PlainMovie({.version = 9, .padding = 3000});
    WriteBytes(Path("movie.swf"), plain);
    int n = 0;
    for (const auto& choice : CompressionChoices) {
        CompressionChoice = choice.method;
        OpenMovie(Path("movie.swf"));
        main->AEstimate->trigger();
        const std::string out = Path("out" + std::to_string(n++));
        modal.saveAnswers.push_back(QString::fromStdString(out));
        main->ACompress->trigger();
        const auto written = ReadBytes(out + ".swf");
        EXPECT_EQ(written, CompressSwfImage(plain, choice.method)) << choice.caption;
        EXPECT_EQ(main->Est->text(), QString::number(written.size()) + QStringLiteral(" bytes"));
    }
}

TEST_F(CompressionChoiceTest, LzmaMovieOpensAsCompressedAndDecompresses) {
    const auto plain = PlainMovie({.version = 15, .padding = 300});
    WriteBytes(Path("movie.swf"), CompressSwfImage(plain, CompressionMethod::Lzma));
    OpenMovie(Path("movie.swf"));
    EXPECT_EQ(main->CStatus->text(), QStringLiteral("Compressed"));
    EXPECT_EQ(main->FStatus->text(), QStringLiteral("Ok"));
    EXPECT_TRUE(main->Decomp->isEnabled());
    modal.saveAnswers.push_back(QString::fromStdString(Path("back")));
    main->ADecompress->trigger();
    EXPECT_EQ(ReadBytes(Path("back.swf")), plain);
}

} // namespace
} // namespace quillon::test
