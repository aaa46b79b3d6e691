// velmora-cli proof read back with poppler's tools: every name is searchable text in roll order
// (in pdftotext's default reading order), exactly once (no element is split over two pages),
// each row's label once and in order, no page ends on a heading, pages are dark on light,
// every script is found as typed, pictures are embedded, pages have their size.
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
    // Every row that draws text is labelled with its sheet row, once and in order: rows 3 on
    // (row 2 is the picture); a credit count in the head.
    const int rows = 240 / 40 + 240 + 1 + 150;
    at = 0;
    for (int row = 3; row <= rows + 2; ++row) {
        const QRegularExpression label(QStringLiteral("\\d\\d:\\d\\d:\\d\\d:\\d\\d  ?roll\\.csv:%1\\b").arg(row));
        const qsizetype found = text.indexOf(label, at);
        ASSERT_GE(found, 0) << "row " << row << " label missing or out of order";
        EXPECT_EQ(text.indexOf(label, found + 1), -1) << "row " << row << " labelled twice";
        at = found;
    }
    EXPECT_TRUE(text.contains(QStringLiteral("Credits: %1").arg(rows))) << text.left(600).toStdString();
    EXPECT_TRUE(text.contains(QLatin1String("Signature")));
    // No page's last line of the roll is a heading.
    for (int p = 1; p <= pages; ++p) {
        const QString pageText = QString::fromUtf8(
            RunTool(QStringLiteral("pdftotext"), {"-layout", "-f", QString::number(p), "-l", QString::number(p), pdf, "-"}));
        QString last;
        for (const QString &line : pageText.split(QLatin1Char('\n')))
            if (line.contains(QRegularExpression(QStringLiteral("DEPARTMENT|THANKS|Person"))))
                last = line;
        if (p < pages)
            EXPECT_FALSE(last.contains(QRegularExpression(QStringLiteral("DEPARTMENT|THANKS")))) << "page " << p << ": " << last.toStdString();
    }
    // Dark on light: the page is mostly white, and the margin holds the labels.
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) {
        const QString prefix = dir.filePath(QStringLiteral("page"));
        RunTool(QStringLiteral("pdftoppm"), {"-r", "72", "-f", "2", "-l", "2", "-singlefile", "-png", pdf, prefix});
        const QImage page(prefix + QStringLiteral(".png"));
        ASSERT_FALSE(page.isNull());
        int marginInk = 0;
        qint64 light = 0;
        for (int y = 40; y < page.height() - 40; ++y) {
            for (int x = 2; x < 118; ++x)
                marginInk += qGray(page.pixel(x, y)) < 160;
            for (int x = 130; x < page.width(); ++x)
                light += qGray(page.pixel(x, y)) > 200;
        }
        EXPECT_GT(marginInk, 100);
        EXPECT_GT(light, qint64(page.width() - 130) * (page.height() - 80) * 9 / 10);
    }

    const QString images = QString::fromUtf8(RunTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}));
    EXPECT_TRUE(images.contains(QLatin1String(" image "))) << images.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Pages, ProofTest,
                         ::testing::Values(TPageCase{"a4", "595 x 842 pts (A4)"},
                                           TPageCase{"letter", "612 x 792 pts (letter)"},
                                           TPageCase{"film", "842 x 464"}),
                         [](const ::testing::TestParamInfo<TPageCase> &info) { return std::string(info.param.Page); });

TEST(ProofCli, FindsEveryScriptAsTypedAndKeepsTheRollsColoursWhenAsked)
{
    if (!HavePopplerTools() || QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    QTemporaryDir dir;
    const QStringList names = {QStringLiteral("अमिताभ बच्चन"), QStringLiteral("محمد عبد الله"), QStringLiteral("สมชาย ใจดี"),
                               QStringLiteral("דוד לוי"), QStringLiteral("Ängström Åsa")};
    QString csv = QStringLiteral("Kind,Role,Name,Text\nheading,,,CAST\n");
    for (const QString &name : names)
        csv += QStringLiteral("pair,Role,%1,\n").arg(name);
    QFile sheet(dir.filePath(QStringLiteral("cast.csv")));
    ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
    sheet.write(csv.toUtf8());
    sheet.close();
    for (const char *colours : {"paper", "roll"}) {
        const QString pdf = dir.filePath(QStringLiteral("%1.pdf").arg(colours));
        const TCliResult result = RunCli({"proof", sheet.fileName(), "-o", pdf, "--colours", colours, "--version-label", "v7 locked"});
        ASSERT_EQ(result.ExitCode, 0) << result.Err.constData();
        const QString text = QString::fromUtf8(RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}));
        for (const QString &name : names)
            EXPECT_EQ(text.count(name), 1) << colours << ": " << name.toStdString() << "\n" << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String("v7 locked")));
        const QString prefix = dir.filePath(QStringLiteral("page-%1").arg(colours));
        RunTool(QStringLiteral("pdftoppm"), {"-r", "36", "-singlefile", "-png", pdf, prefix});
        const QImage page(prefix + QStringLiteral(".png"));
        ASSERT_FALSE(page.isNull());
        // Below the head, at the roll's left edge beside the heading: the paper or the roll's black.
        EXPECT_EQ(qGray(page.pixel(70, 60)) > 128, QByteArray(colours) == "paper") << colours;
    }
    EXPECT_EQ(RunCli({"proof", sheet.fileName(), "-o", dir.filePath("x.pdf"), "--colours", "sepia"}).ExitCode, 2);
}

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
