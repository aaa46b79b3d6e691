// libFuzzer target: the JSON a user writes by hand: a credit styles file and a project
// description for import. Both must refuse what they cannot use with a message, never crash.
#include "core/document/Document.h"
#include "FuzzFiles.h"

#include "core/error.h"
#include "core/sheets/CreditStyles.h"
#include "core/interchange/ProjectJson.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdint>
#include <cstdlib>

using namespace velmora;
using fuzz::Put;

namespace {

void WriteSeeds(const QString &dir)
{
    QDir().mkpath(dir);
    int n = 0;
    for (const char *name : {VELMORA_SOURCE_DIR "/examples/demo.json", VELMORA_SOURCE_DIR "/examples/credits/feature-styles.json"}) {
        QFile file(QString::fromUtf8(name));
        if (file.open(QIODevice::ReadOnly))
            Put(QStringLiteral("%1/seed-%2").arg(dir).arg(n++), file.readAll());
    }
    Put(dir + "/styles", R"({"styles": {"Heading": {"FontSize": 40, "Color": "#FFFFCC00", "Alignment": "center"}, "Small": {"FontSize": 10}}})");
    Put(dir + "/list", R"({"styles": [1]})");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::WriteSeedsIfAsked(WriteSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QJsonDocument json = QJsonDocument::fromJson(bytes);
    if (json.isNull())
        return 0;
    try {
        TCreditStyles styles(1080);
        if (json.isObject())
            styles.Load(json.object(), QStringLiteral("styles.json"));
    } catch (const EVelmoraError &) {
    }
    try {
        TDocument document;
        // Pictures are looked up in a folder that has none: the fuzzer must not read the disk.
        ProjectFromJson(json.isObject() ? QJsonValue(json.object()) : QJsonValue(json.array()), document, QDir(QStringLiteral("/nonexistent")));
    } catch (const EVelmoraError &) {
    }
    return 0;
}
