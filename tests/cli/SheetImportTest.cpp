// velmora-cli import of credit sheets: running time, errors without output, info's report.
#include "cli/CliRunner.h"

#include "support/SheetFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

namespace {

using velmora::test::TTable;

class SheetImport : public testing::Test
{
protected:
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    QString Sheet(const TTable &table, const QString &name = "credits.csv") const
    {
        velmora::test::WriteSheet(Path(name), table);
        return Path(name);
    }
    QJsonObject Info(const QString &project) const
    {
        const TCliResult result = RunCli({"info", project, "--json"});
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        return QJsonDocument::fromJson(result.Out).object();
    }
    QTemporaryDir m_dir;
};

TTable Credits(int pairs)
{
    TTable table = {{"Kind", "Role", "Name", "Text"}, {"heading", "", "", "CREW"}};
    for (int i = 0; i < pairs; ++i)
        table.push_back({"pair", QString("Role %1").arg(i), QString("Name %1").arg(i), ""});
    return table;
}

TEST_F(SheetImport, FourFormatsGiveTheSameCopiedBlock)
{
    TTable table = Credits(4);
    table.push_back({"names", "", "Cleo Castellan\nDario Drummond\nElin Eskildsen", ""});
    table.push_back({"text", "", "", "Filmed on location"});
    QJsonObject expected;
    for (const QString name : {"c.csv", "c.tsv", "c.xlsx", "c.ods"}) {
        const QString project = Path(name + ".vmz");
        const QString sheet = Sheet(table, name);
        const TCliResult result = RunCli({"import", sheet, "-o", project});
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        // A copy: the rows live in the project, which follows the sheet no more.
        ASSERT_TRUE(QFile::remove(sheet));
        const QJsonObject info = Info(project);
        const QJsonArray roll = info["nodes"][0]["children"].toArray();
        ASSERT_EQ(roll.size(), 1);
        EXPECT_EQ(roll[0]["kind"].toString(), "TVmElementCreditBlock");
        EXPECT_EQ(roll[0]["Caption"].toString(), name);
        const QJsonObject block = info["credit_blocks"][0].toObject();
        EXPECT_FALSE(block["linked"].toBool());
        EXPECT_EQ(block["sheet"].toString(), "");
        EXPECT_EQ(block["problem"].toString(), "");
        if (expected.isEmpty())
            expected = block;
        EXPECT_EQ(block, expected) << name.toStdString();
        EXPECT_TRUE(RunCli({"info", project}).Out.contains("Credit block: copied into the project, 7 rows"));
    }
    EXPECT_EQ(expected["rows"].toInt(), 7); // heading, four pairs, names, text
    EXPECT_GT(expected["height"].toInt(), 7 * 30);
}

// A plain sheet with the built-in styles: sections of pairs, names and thanks, a gap, a last card.
TTable PlainSheet()
{
    TTable table = {{"Kind", "Role", "Name", "Text", "Columns", "Size"}};
    for (int s = 0; s < 6; ++s) {
        table.push_back({"heading", "", "", QString("Department %1").arg(s), "", ""});
        for (int p = 0; p < 5; ++p)
            table.push_back({"pair", QString("Role %1.%2").arg(s).arg(p), QString("Person %1.%2 Family").arg(s).arg(p), "", "", ""});
        QStringList crew;
        for (int n = 0; n < 6; ++n)
            crew.append(QString("Crew %1.%2 Member").arg(s).arg(n));
        table.push_back({"names", "", crew.join('\n'), "", "2", ""});
        table.push_back({"text", "", "", QString("Thanks to the people of section %1.").arg(s), "", ""});
    }
    table.push_back({"gap", "", "", "", "", "200"});
    table.push_back({"text", "", "", "The End", "", ""});
    return table;
}

TEST_F(SheetImport, DurationFitsWithinTenPercentWithoutBlack)
{
    const QString sheet = Sheet(PlainSheet());
    const QString natural = Path("natural.vmz");
    ASSERT_EQ(RunCli({"import", sheet, "-o", natural}).ExitCode, 0);
    const int frames = Info(natural)["frame_count"].toInt();
    ASSERT_GT(frames, 24 * 30);
    for (const double share : {0.9, 0.95, 1.05, 1.1}) {
        const int target = int(frames * share);
        const QString duration = QString("00:00:%1:%2").arg(target / 24, 2, 10, QChar('0')).arg(target % 24, 2, 10, QChar('0'));
        const QString project = Path("roll.vmz");
        const TCliResult result = RunCli({"import", sheet, "--duration", duration, "-o", project});
        ASSERT_EQ(result.ExitCode, 0) << share << ": " << result.Err.toStdString();
        EXPECT_TRUE(result.Out.startsWith("Running time " + duration.toUtf8())) << result.Out.toStdString();
        EXPECT_TRUE(result.Out.contains("no black at the end")) << result.Out.toStdString();
        const QJsonObject info = Info(project);
        EXPECT_EQ(info["frame_count"].toInt(), target) << share;
        // The block alone: no gap was added after it.
        EXPECT_EQ(info["nodes"][0]["children"].toArray().size(), 1) << share;
    }
    // Far longer than the spaces can stretch: refused with the nearest times that work, nothing written.
    const TCliResult tooLong = RunCli({"import", sheet, "--duration", "02:00:00", "-o", Path("long.vmz")});
    EXPECT_EQ(tooLong.ExitCode, 1);
    EXPECT_TRUE(tooLong.Err.contains("cannot be met")) << tooLong.Err.toStdString();
    EXPECT_TRUE(tooLong.Err.contains("the nearest running times that work are")) << tooLong.Err.toStdString();
    EXPECT_FALSE(QFile::exists(Path("long.vmz")));
    // Rendered straight from the sheet, the same fit: the video runs the target exactly.
    if (!HaveFfmpegTools())
        return;
    const QString small = Path("small.vmz");
    ASSERT_EQ(RunCli({"import", sheet, "--film", "640x360", "-o", small}).ExitCode, 0);
    const int target = int(Info(small)["frame_count"].toInt() * 1.1);
    const QString duration = QString("00:00:%1:%2").arg(target / 24, 2, 10, QChar('0')).arg(target % 24, 2, 10, QChar('0'));
    const QString movie = Path("roll.mov");
    const TCliResult render = RunCli({"render", sheet, "--film", "640x360", "--duration", duration, "-o", movie, "-q"});
    ASSERT_EQ(render.ExitCode, 0) << render.Err.toStdString();
    EXPECT_TRUE(render.Err.contains("no black at the end")) << render.Err.toStdString();
    const QByteArray counted = RunTool("ffprobe", {"-v", "error", "-select_streams", "v:0", "-count_packets", "-show_entries",
                                                   "stream=nb_read_packets", "-of", "csv=p=0", movie});
    EXPECT_EQ(counted.trimmed().toInt(), target);
}

TEST_F(SheetImport, BadSheetsWriteNothing)
{
    const std::vector<std::pair<TTable, QString>> cases = {
        {{{"Kind", "Name"}, {"names", "A"}, {"paier", "B"}}, "velmora-cli: credits.csv:3: unknown Kind \"paier\""},
        {{{"Name"}, {"A"}}, "velmora-cli: credits.csv:1: the header row has no Kind column"},
        {{{"Kind", "Size"}, {"gap", "1O"}}, "velmora-cli: credits.csv:2: column Size: \"1O\" is not a whole number"},
        {{{"Kind", "Image"}, {"image", "gone.png"}}, "velmora-cli: credits.csv:2: column Image: the file"},
        {{{"Kind", "Image"}, {"image", "/dev/zero"}},
         "velmora-cli: credits.csv:2: column Image: \"/dev/zero\" is not a regular file (a folder or a device)"},
    };
    for (const auto &[table, message] : cases) {
        const QString output = Path("out.vmz");
        const TCliResult result = RunCli({"import", Sheet(table), "-o", output});
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_TRUE(result.Err.startsWith(message.toUtf8())) << result.Err.toStdString();
        EXPECT_FALSE(QFile::exists(output));
    }
    QFile broken(Path("broken.csv"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("Kind,Text\ntext,\"unclosed\n");
    broken.close();
    const TCliResult result = RunCli({"import", Path("broken.csv"), "-o", Path("out.vmz")});
    EXPECT_EQ(result.Err.trimmed(), "velmora-cli: broken.csv:2: a quoted cell is never closed");
    EXPECT_FALSE(QFile::exists(Path("out.vmz")));

    QFile styles(Path("styles.json"));
    ASSERT_TRUE(styles.open(QIODevice::WriteOnly));
    styles.write(R"({"styles": [1]})");
    styles.close();
    const TCliResult listed = RunCli({"import", Sheet({{"Kind", "Name"}, {"names", "A"}}), "--styles", Path("styles.json"), "-o", Path("out.vmz")});
    EXPECT_TRUE(listed.Err.contains("\"styles\" must be an object")) << listed.Err.toStdString();
    EXPECT_FALSE(QFile::exists(Path("out.vmz")));

    // A project written into a device: made whole in memory, with no warning from Qt.
    const TCliResult device = RunCli({"import", Sheet({{"Kind", "Name"}, {"names", "A"}}), "-o", "/dev/null"});
    EXPECT_EQ(device.ExitCode, 0);
    EXPECT_EQ(device.Err, QByteArray());
}

TEST_F(SheetImport, InfoReportsRunningTimeAndWarnings)
{
    TTable table = Credits(3);
    table.push_back({"text", "", "", "Set in Nonesuch Grotesk"});
    QFile styles(Path("styles.json"));
    ASSERT_TRUE(styles.open(QIODevice::WriteOnly));
    styles.write(R"({"Text": {"FontName": "Nonesuch Grotesk Bold"}})");
    styles.close();
    const QString project = Path("roll.vmz");
    const TCliResult import = RunCli({"import", Sheet(table, "c.ods"), "--styles", Path("styles.json"), "--film", "1280x720",
                                      "--fps", "25", "--scroll", "30", "-o", project});
    ASSERT_EQ(import.ExitCode, 0) << import.Err.toStdString();
    const QJsonObject info = Info(project);
    EXPECT_EQ(info["nodes"][0]["ContentSize"].toString(), "HD 720p (1280 x 720)");
    const QStringList warnings = info["warnings"].toVariant().toStringList();
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_EQ(warnings[0], "the font \"Nonesuch Grotesk Bold\" matches no installed font; it draws in a substitute");
    EXPECT_TRUE(warnings[1].startsWith("Scrolling too fast to read: a line stays 1.0 s on screen")) << warnings[1].toStdString();
    const TCliResult text = RunCli({"info", project});
    EXPECT_TRUE(text.Out.contains("\nRunning time: 00:00:")) << text.Out.toStdString();
    EXPECT_TRUE(text.Out.contains("\nWarning: Scrolling too fast to read")) << text.Out.toStdString();
}

} // namespace
