// velmora-cli proof read back with poppler's tools: every name is searchable text in roll order
// (in pdftotext's default reading order),
// exactly once (no element is split over two pages), pictures are embedded, pages have their size.
#include "cli/CliRunner.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

bool HavePopplerTools()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

// A sheet long enough for several pages: sections of role/name pairs, names and a picture.
QStringList WriteRoll(const QString &dir)
{
    QImage logo(300, 120, QImage::Format_RGB32);
    logo.fill(QColor(200, 120, 30));
    logo.save(QDir(dir).filePath(QStringLiteral("logo.png")));
    QStringList names;
    QString csv = QStringLiteral("Kind,Role,Name,Text,Style,Columns,Size,Image\nimage,,,,,,200,logo.png\n");
    for (int i = 0; i < 240; ++i) {
        if (i % 40 == 0)
            csv += QStringLiteral("heading,,,DEPARTMENT %1,,,,\n").arg(i / 40);
        const QString name = QStringLiteral("Person%1 Surname%2").arg(i).arg(char('A' + i % 26));
        names.append(name);
        csv += i % 7 == 6 ? QStringLiteral("names,,%1,,,,,\n").arg(name) : QStringLiteral("pair,Role %1,%2,,,,,\n").arg(i).arg(name);
    }
    // One list of names taller than a page: it breaks between its lines, each line on one page.
    csv += QStringLiteral("heading,,,THANKS,,,,\n");
    for (int i = 0; i < 150; ++i) {
        names.append(QStringLiteral("Thanked Person%1").arg(i));
        csv += QStringLiteral("names,,%1,,,,,\n").arg(names.last());
    }
    QFile file(QDir(dir).filePath(QStringLiteral("roll.csv")));
    file.open(QIODevice::WriteOnly);
    file.write(csv.toUtf8());
    return names;
}

struct TPageCase
{
    const char *Page;
    const char *PageSize; // as pdfinfo prints it
};

class ProofTest : public ::testing::TestWithParam<TPageCase>
{
};

TEST_P(ProofTest, HoldsEveryNameOnceInOrder)
{
    if (!HavePopplerTools())
        GTEST_SKIP() << "pdftotext and pdfinfo (poppler-utils) are not installed";
    QTemporaryDir dir;
    const QStringList names = WriteRoll(dir.path());
    const QString pdf = dir.filePath(QStringLiteral("proof.pdf"));
    const TCliResult result = RunCli({"proof", dir.filePath("roll.csv"), "-o", pdf, "--page", GetParam().Page, "--safe-areas"});
    ASSERT_EQ(result.ExitCode, 0) << result.Err.constData();

    const QString info = QString::fromUtf8(RunTool(QStringLiteral("pdfinfo"), {pdf}));
    EXPECT_TRUE(info.contains(QLatin1String(GetParam().PageSize))) << info.toStdString();
    const int pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
    EXPECT_GT(pages, 2);

    const QString text = QString::fromUtf8(RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}));
    qsizetype at = 0;
    for (const QString &name : names) {
        const QRegularExpression whole(QRegularExpression::escape(name) + QStringLiteral("\\b"));
        const qsizetype found = text.indexOf(whole, at);
        ASSERT_GE(found, 0) << name.toStdString() << " missing or out of order";
        EXPECT_EQ(text.indexOf(whole, found + 1), -1) << name.toStdString() << " printed twice";
        at = found;
    }
    EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %1").arg(pages)));
    // The margin holds the timecode labels (drawn, not text) beside a black roll.
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) {
        const QString prefix = dir.filePath(QStringLiteral("page"));
        RunTool(QStringLiteral("pdftoppm"), {"-r", "72", "-f", "1", "-l", "1", "-singlefile", "-png", pdf, prefix});
        const QImage page(prefix + QStringLiteral(".png"));
        ASSERT_FALSE(page.isNull());
        int marginInk = 0;
        for (int y = 40; y < page.height() - 40; ++y)
            for (int x = 2; x < 78; ++x)
                marginInk += qGray(page.pixel(x, y)) < 128;
        EXPECT_GT(marginInk, 100);
        EXPECT_EQ(qGray(page.pixel(90, 44)), 0); // the roll's background, below the head
    }

    const QString images = QString::fromUtf8(RunTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}));
    EXPECT_TRUE(images.contains(QLatin1String(" image "))) << images.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Pages, ProofTest,
                         ::testing::Values(TPageCase{"a4", "595 x 842 pts (A4)"},
                                           TPageCase{"letter", "612 x 792 pts (letter)"},
                                           TPageCase{"film", "842 x 485"}),
                         [](const ::testing::TestParamInfo<TPageCase> &info) { return std::string(info.param.Page); });

TEST(ProofCli, RefusesAnUnknownPageAndKeepsTheInput)
{
    QTemporaryDir dir;
    WriteRoll(dir.path());
    const QString sheet = dir.filePath(QStringLiteral("roll.csv"));
    EXPECT_EQ(RunCli({"proof", sheet, "-o", dir.filePath("p.pdf"), "--page", "a3"}).ExitCode, 2);
    EXPECT_FALSE(QFile::exists(dir.filePath("p.pdf")));
    const QByteArray before = [&] { QFile f(sheet); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    EXPECT_NE(RunCli({"proof", sheet, "-o", sheet}).ExitCode, 0);
    QFile after(sheet);
    after.open(QIODevice::ReadOnly);
    EXPECT_EQ(after.readAll(), before);
}

} // namespace
