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

TEST_F(SheetImport, FourFormatsGiveTheSameProject)
{
    TTable table = Credits(4);
    table.push_back({"names", "", "Cleo Castellan\nDario Drummond\nElin Eskildsen", ""});
    table.push_back({"text", "", "", "Filmed on location"});
    QJsonObject expected;
    for (const QString name : {"c.csv", "c.tsv", "c.xlsx", "c.ods"}) {
        const QString project = Path(name + ".vmz");
        const TCliResult result = RunCli({"import", Sheet(table, name), "-o", project});
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        QJsonObject info = Info(project);
        info.remove("file");
        // The project is named after the sheet, which is the same for all four.
        if (expected.isEmpty())
            expected = info;
        EXPECT_EQ(info, expected) << name.toStdString();
    }
    const QJsonArray roll = expected["nodes"][0]["children"].toArray();
    ASSERT_EQ(roll.size(), 7); // heading, four pairs, names, text
    EXPECT_EQ(roll[1]["Caption"].toString(), "Role 0 / Name 0");
    EXPECT_EQ(roll[5]["Text"].toString(), "Cleo Castellan\r\nDario Drummond\r\nElin Eskildsen");
}

TEST_F(SheetImport, DurationGivesExactlyTheTargetFrames)
{
    const QString sheet = Sheet(Credits(60));
    for (const auto &[duration, frames] : std::vector<std::pair<QString, int>>{{"00:01:00", 1440}, {"00:00:41:07", 991}, {"00:00:25:13", 613}}) {
        const QString project = Path("roll.vmz");
        const TCliResult result = RunCli({"import", sheet, "--duration", duration, "-o", project});
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        EXPECT_TRUE(result.Out.startsWith("Running time " + duration.toUtf8())) << result.Out.toStdString();
        const QJsonObject info = Info(project);
        EXPECT_EQ(info["frame_count"].toInt(), frames) << duration.toStdString();
        EXPECT_EQ(info["running_time"].toString().left(duration.size()), duration);
        EXPECT_TRUE(result.Out.contains(QString("scrolling %1 pixels per frame").arg(info["nodes"][0]["ScrollRate"].toInt()).toUtf8()));
    }
    // Longer than the roll runs at 1 pixel per frame: refused, nothing written.
    const TCliResult tooLong = RunCli({"import", sheet, "--duration", "02:00:00", "-o", Path("long.vmz")});
    EXPECT_EQ(tooLong.ExitCode, 1);
    EXPECT_TRUE(tooLong.Err.contains("cannot be met")) << tooLong.Err.toStdString();
    EXPECT_FALSE(QFile::exists(Path("long.vmz")));
}

TEST_F(SheetImport, BadSheetsWriteNothing)
{
    const std::vector<std::pair<TTable, QString>> cases = {
        {{{"Kind", "Name"}, {"names", "A"}, {"paier", "B"}}, "velmora-cli: credits.csv:3: unknown Kind \"paier\""},
        {{{"Kind", "Name", "Style"}, {"names", "A", "Tiny"}}, "velmora-cli: credits.csv:2: unknown Style \"Tiny\""},
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
    EXPECT_EQ(info["nodes"][0]["ContentSize"].toString(), "HDDVD/HDTV PAL (1280 x 720)");
    const QStringList warnings = info["warnings"].toVariant().toStringList();
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_EQ(warnings[0], "the font \"Nonesuch Grotesk Bold\" matches no installed font; it draws in a substitute");
    EXPECT_TRUE(warnings[1].startsWith("Scrolling too fast to read: a line stays 1.0 s on screen")) << warnings[1].toStdString();
    const TCliResult text = RunCli({"info", project});
    EXPECT_TRUE(text.Out.contains("\nRunning time: 00:00:")) << text.Out.toStdString();
    EXPECT_TRUE(text.Out.contains("\nWarning: Scrolling too fast to read")) << text.Out.toStdString();
}

} // namespace
