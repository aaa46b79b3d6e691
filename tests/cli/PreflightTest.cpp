// velmora-cli check on sheets and projects with one planted fault each: every fault raises
// exactly the check it should, and a clean roll raises nothing.
#include "cli/CliRunner.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

namespace {

const char *const Styles = R"({"Role": {"FontSize": 32}, "Left": {"FontSize": 40, "HAlign": "left", "Measure": 100},
  "Tiny": {"FontSize": 12}, "Nowhere": {"FontName": "Velmora No Such Face", "FontSize": 40},
  "Aliased": {"FontName": "Arial", "FontSize": 40}})";

const char *const CleanRows = "Kind,Role,Name,Text,Style,Columns,Size,Image\n"
                              "heading,,,CAMERA,,,,\n"
                              "pair,Camera Operator,Ugo Eskildsen,,,,,\n"
                              "pair,Camera Trainee,Rhea Umberfield,,,,,\n"
                              "heading,,,SOUND,,,,\n"
                              "pair,Sound Mixer,Zoe Smith,,,,,\n"
                              "names,,\"Ada Valdivia\nMilo Nakashima\",,,,,\n";

struct TFault
{
    const char *Name;
    const char *ExtraRows; // appended to the clean sheet
    QStringList ImportOptions; // when set, the sheet is imported to a project and that is checked
    QStringList CheckOptions;
    QSet<QString> Expected;    // check ids raised
    int ExitCode;
};

class PreflightTest : public ::testing::TestWithParam<TFault>
{
};

QJsonObject CheckJson(const TCliResult &result)
{
    return QJsonDocument::fromJson(result.Out).object();
}

TEST_P(PreflightTest, RaisesExactlyThePlantedProblem)
{
    const TFault &fault = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString sheet = dir.filePath(QStringLiteral("roll.csv"));
    QFile file(sheet);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(CleanRows);
    file.write(fault.ExtraRows);
    file.close();
    QFile styles(dir.filePath(QStringLiteral("roll-styles.json")));
    ASSERT_TRUE(styles.open(QIODevice::WriteOnly));
    styles.write(Styles);
    styles.close();

    QString checked = sheet;
    if (!fault.ImportOptions.isEmpty()) {
        checked = dir.filePath(QStringLiteral("roll.vmz"));
        const TCliResult imported = RunCli(QStringList{"import", sheet, "-o", checked} + fault.ImportOptions);
        ASSERT_EQ(imported.ExitCode, 0) << imported.Err.constData();
    }
    const TCliResult result = RunCli(QStringList{"check", checked, "--json"} + fault.CheckOptions);
    ASSERT_EQ(result.ExitCode, fault.ExitCode) << result.Out.constData() << result.Err.constData();
    const QJsonArray problems = CheckJson(result).value("problems").toArray();
    QSet<QString> raised;
    for (const QJsonValue &problem : problems)
        raised.insert(problem.toObject().value("id").toString());
    EXPECT_EQ(raised, fault.Expected) << result.Out.constData();
    // Problems about an element say which one and when it comes on screen; those on a sheet's
    // rows name the row and column.
    for (const QJsonValue &value : problems) {
        const QJsonObject problem = value.toObject();
        if (problem.contains("path")) {
            EXPECT_TRUE(problem.value("path").toString().startsWith('/'));
            EXPECT_GE(problem.value("frame").toInteger(-1), 0);
            EXPECT_FALSE(problem.value("timecode").toString().isEmpty());
        }
        if (problem.value("id") != "reading-time" && problem.value("id") != "running-time" && problem.value("id") != "film-size")
            EXPECT_TRUE(problem.value("place").toString().contains(QRegularExpression("^roll\\.csv:\\d+:[A-Z]$")))
                << QJsonDocument(problem).toJson().constData();
    }
    // The same sheet linked into a project raises the same problems at the same places.
    if (fault.ImportOptions.isEmpty()) {
        const QString linked = dir.filePath(QStringLiteral("linked.vmz"));
        ASSERT_EQ(RunCli({"import", "--link", sheet, "-o", linked}).ExitCode, 0);
        const TCliResult again = RunCli(QStringList{"check", linked, "--json"} + fault.CheckOptions);
        EXPECT_EQ(again.ExitCode, fault.ExitCode);
        EXPECT_EQ(CheckJson(again).value("problems"), CheckJson(result).value("problems")) << again.Out.constData();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PreflightTest,
    ::testing::Values(
        TFault{"Clean", "", {}, {}, {}, 0},
        TFault{"OutsideTitleSafe", "text,,,Left Edge Name,Left,,,\n", {}, {}, {"title-safe"}, 1},
        TFault{"TwelvePixelCredit", "text,,,Small Print,Tiny,,,\n", {}, {}, {"small-text"}, 1},
        TFault{"PrivateUseCharacter", "pair,Caterer,Ann \xee\x80\x80 Lee,,,,,\n", {}, {}, {"missing-glyphs"}, 1},
        TFault{"AccentedTwin", "heading,,,MUSIC,,,,\npair,Composer,Zo\xc3\xab Smith,,,,,\n", {}, {}, {"similar-names"}, 0},
        TFault{"CaseAndPunctuationTwin", "pair,Composer,RHEA UMBERFIELD,,,,,\n", {}, {}, {"similar-names"}, 0},
        TFault{"DuplicateInSection", "pair,Sound Mixer,Zoe Smith,,,,,\n", {}, {}, {"duplicate-credit"}, 1},
        TFault{"DoubleSpace", "pair,Boom Operator,Ivo  Montague,,,,,\n", {}, {}, {"spacing"}, 0},
        TFault{"FontNotInstalled", "text,,,Printed Elsewhere,Nowhere,,,\n", {}, {}, {"missing-font"}, 0},
        TFault{"AliasDrawnInAnotherFamily", "text,,,Printed In Arial,Aliased,,,\n", {}, {}, {"missing-font"}, 0},
        // Scripts without capitals are measured by their letters' whole body: at the built-in
        // sizes they pass; in a tiny style they do not.
        TFault{"ScriptsAtBuiltInSizes",
               "pair,\xd8\xb5\xd8\xaf\xd9\x8a\xd9\x82,\xd9\x85\xd8\xad\xd9\x85\xd8\xaf \xd8\xb9\xd8\xa8\xd8\xaf,,,,,\n"
               "pair,Neighbour,\xe0\xb8\xaa\xe0\xb8\xa1\xe0\xb8\x8a\xe0\xb8\xb2\xe0\xb8\xa2,,,,,\n"
               "pair,Lead,\xe0\xa4\x85\xe0\xa4\xae\xe0\xa4\xbf\xe0\xa4\xa4\xe0\xa4\xbe\xe0\xa4\xad,,,,,\n"
               "pair,\xd7\xa9\xd7\x9b\xd7\x9f,\xd7\x93\xd7\x95\xd7\x93 \xd7\x9c\xd7\x95\xd7\x99,,,,,\n",
               {}, {}, {}, 0},
        TFault{"TinyArabicText", "text,,,\xd9\x85\xd8\xad\xd9\x85\xd8\xaf \xd8\xb9\xd8\xa8\xd8\xaf,Tiny,,,\n", {}, {}, {"small-text"}, 1},
        TFault{"UnknownStyleIsAWarning", "names,,Noor Vale,,Huge,,,\n", {}, {}, {"unknown-style"}, 0},
        TFault{"TooFastToRead", "", {"--scroll", "20"}, {}, {"reading-time"}, 1},
        TFault{"OddFilmSize", "", {"--film", "1000x700"}, {}, {"film-size"}, 0},
        TFault{"PalIsOrdinary", "", {"--film", "720x576"}, {}, {}, 0},
        TFault{"HdReadyIsOrdinary", "", {"--film", "1280x720"}, {}, {}, 0},
        TFault{"RunningTimeMissesTarget", "", {}, {"--target", "00:10:00:00"}, {"running-time"}, 1},
        TFault{"IgnoredCheck", "text,,,Small Print,Tiny,,,\n", {}, {"--ignore", "small-text"}, {}, 0}),
    [](const ::testing::TestParamInfo<TFault> &info) { return std::string(info.param.Name); });

// A delivery profile's own figures decide: a user's JSON profile with a short limit on the
// credits and a long black head flags both; the built-in ones pass the clean roll.
TEST(PreflightCli, AppliesADeliveryProfile)
{
    QTemporaryDir dir;
    const QString sheet = dir.filePath(QStringLiteral("roll.csv"));
    QFile rows(sheet);
    ASSERT_TRUE(rows.open(QIODevice::WriteOnly));
    rows.write(CleanRows);
    rows.close();
    const auto ids = [](const TCliResult &result) {
        QSet<QString> raised;
        for (const QJsonValue &problem : QJsonDocument::fromJson(result.Out).object().value("problems").toArray())
            raised.insert(problem.toObject().value("id").toString());
        return raised;
    };
    for (const char *builtIn : {"velmora", "ebu-r95", "broadcast"}) {
        const TCliResult result = RunCli({"check", sheet, "--json", "--profile", builtIn});
        EXPECT_EQ(result.ExitCode, 0) << builtIn << result.Out.constData();
    }
    const QString profile = dir.filePath(QStringLiteral("house.json"));
    QFile json(profile);
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(R"({"name": "house", "headBlack": 30, "creditLimits": [{"programmeMinutes": 60, "seconds": 1}]})");
    json.close();
    const TCliResult strict = RunCli({"check", sheet, "--json", "--profile", profile, "--programme-length", "45"});
    EXPECT_EQ(strict.ExitCode, 1);
    EXPECT_EQ(ids(strict), (QSet<QString>{"credit-duration", "head-black"})) << strict.Out.constData();
    // Past the table's longest programme there is no limit.
    EXPECT_EQ(ids(RunCli({"check", sheet, "--json", "--profile", profile, "--programme-length", "90"})), QSet<QString>{"head-black"});
    EXPECT_EQ(RunCli({"check", sheet, "--profile", "netflix-ish"}).ExitCode, 2);
    ASSERT_TRUE(json.open(QIODevice::WriteOnly | QIODevice::Truncate));
    json.write(R"({"titleSafe": 140})");
    json.close();
    const TCliResult bad = RunCli({"check", sheet, "--profile", profile});
    EXPECT_EQ(bad.ExitCode, 2);
    EXPECT_TRUE(bad.Err.contains("titleSafe")) << bad.Err.constData();
}

TEST(PreflightCli, RefusesAnUnknownCheckAndAMissingFile)
{
    QTemporaryDir dir;
    const TCliResult unknown = RunCli({"check", dir.filePath("absent.csv"), "--ignore", "speling"});
    EXPECT_EQ(unknown.ExitCode, 2);
    EXPECT_TRUE(unknown.Err.contains("speling")) << unknown.Err.constData();
    const TCliResult missing = RunCli({"check", dir.filePath("absent.vmz")});
    EXPECT_EQ(missing.ExitCode, 1);
}

} // namespace
