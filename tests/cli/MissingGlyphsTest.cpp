// info names the text, the font and the characters that no installed font can draw.
#include "cli/CliRunner.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QImage>
#include <QTemporaryDir>

namespace {

// Imports a project description into dir and returns the project's path.
QString ImportProject(const QTemporaryDir &dir, const QString &name, const QJsonObject &description)
{
    QFile json(dir.filePath(name + ".json"));
    EXPECT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(QJsonDocument(description).toJson());
    json.close();
    const QString project = dir.filePath(name + ".vmz");
    EXPECT_EQ(RunCli({"import", json.fileName(), "-o", project}).ExitCode, 0);
    return project;
}

TEST(CliMissingGlyphs, InfoNamesElementCharacterAndFont)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto text = [](const QString &value, const QString &font) {
        return QJsonObject{{"kind", "TVmElementText"}, {"Text", value}, {"FontName", font}, {"FontSize", 40}};
    };
    const QString privateUse = QStringLiteral("Logo \uF8FF by ") + QString::fromUcs4(U"\U0010FFFD");
    const QJsonObject description{{"nodes", QJsonArray{QJsonObject{
        {"kind", "TVmElementProject"}, {"Width", 320}, {"Height", 240}, {"ScrollRate", 1},
        {"children", QJsonArray{text(QStringLiteral("黒澤明 · يوسف شاهين · सत्यजित राय"), "Times New Roman Italic"),
                         text(privateUse, "Arial Bold")}}}}}};
    const QString project = ImportProject(dir, "scripts", description);

    const TCliResult plain = RunCli({"info", project});
    ASSERT_EQ(plain.ExitCode, 0) << plain.Err.toStdString();
    const QString out = QString::fromUtf8(plain.Out);
    EXPECT_TRUE(out.contains(QStringLiteral("Warning: the text \"%1\" in the font \"Arial Bold\" has the characters "
                                            "U+F8FF, U+10FFFD that no installed font can draw")
                                 .arg(privateUse)))
        << plain.Out.toStdString();
    // The other scripts have fonts: one warning only.
    EXPECT_EQ(out.count(QStringLiteral("Warning:")), 1) << plain.Out.toStdString();

    const TCliResult json2 = RunCli({"info", project, "--json"});
    ASSERT_EQ(json2.ExitCode, 0);
    const QJsonObject info = QJsonDocument::fromJson(json2.Out).object();
    const QJsonArray missing = info["missing_glyphs"].toArray();
    ASSERT_EQ(missing.size(), 1) << json2.Out.toStdString();
    EXPECT_EQ(missing[0]["element"].toString(), privateUse);
    EXPECT_EQ(missing[0]["font"].toString(), "Arial Bold");
    EXPECT_EQ(missing[0]["characters"].toArray(), (QJsonArray{"U+F8FF", "U+10FFFD"}));
    EXPECT_EQ(info["warnings"].toArray().size(), 1);
}

// A machine without fonts for a script: Qt draws some (Devanagari) with a stand-in face that
// has no font file. Drawing those boxes large (from outlines) crashed; info names them.
TEST(CliMissingGlyphs, ScriptWithoutAnyFontIsReportedAndDrawsWithoutCrashing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile config(dir.filePath("fonts.conf"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig>\n"
                                "  <dir>/usr/share/fonts/truetype/liberation</dir>\n"
                                "  <cachedir>%1</cachedir>\n</fontconfig>\n")
                     .arg(dir.filePath("cache"))
                     .toUtf8());
    config.close();
    const QJsonObject description{{"nodes", QJsonArray{QJsonObject{
        {"kind", "TVmElementProject"}, {"Width", 640}, {"Height", 240}, {"ScrollRate", 1},
        {"children", QJsonArray{QJsonObject{{"kind", "TVmElementText"}, {"Text", QStringLiteral("राय 張")},
                                            {"FontName", "Liberation Serif"}, {"FontSize", 120}}}}}}}};
    const QString project = ImportProject(dir, "scripts", description);

    const QByteArray saved = qgetenv("FONTCONFIG_FILE");
    qputenv("FONTCONFIG_FILE", config.fileName().toLocal8Bit());
    const TCliResult strip = RunCli({"strip", project, "-o", dir.filePath("strip.png")});
    const TCliResult info = RunCli({"info", project});
    if (saved.isNull())
        qunsetenv("FONTCONFIG_FILE");
    else
        qputenv("FONTCONFIG_FILE", saved);

    EXPECT_EQ(strip.ExitCode, 0) << strip.Err.toStdString();
    EXPECT_FALSE(QImage(dir.filePath("strip.png")).isNull());
    ASSERT_EQ(info.ExitCode, 0) << info.Err.toStdString();
    EXPECT_TRUE(info.Out.contains("in the font \"Liberation Serif\" has the characters U+0930, U+093E, U+092F, U+5F35 "
                                  "that no installed font can draw"))
        << info.Out.toStdString();
}

} // namespace
