// info names the text, the font and the characters that no installed font can draw.
#include "cli/CliRunner.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

namespace {

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
    QFile json(dir.filePath("scripts.json"));
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(QJsonDocument(description).toJson());
    json.close();
    const QString project = dir.filePath("scripts.vmz");
    ASSERT_EQ(RunCli({"import", json.fileName(), "-o", project}).ExitCode, 0);

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

} // namespace
