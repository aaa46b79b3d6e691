// libFuzzer target: arbitrary bytes as a project file and as clipboard node chunks.
// Whatever loads must save again and load back.
#include "FuzzSeeds.h"

#include "core/document/Document.h"
#include "core/document/TreeSection.h"

#include <QBuffer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace velmora;

namespace {
QByteArray Save(TDocument &document)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    document.SaveProjectFile(buffer);
    return data;
}

void Load(TDocument &document, QByteArray data)
{
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    document.LoadProjectFile(buffer);
}

void LoadAsProject(const QByteArray &bytes)
{
    TDocument document;
    try {
        Load(document, bytes);
    } catch (const EVelmoraError &) {
        return;
    }
    const QByteArray saved = Save(document);
    TDocument reopened;
    try {
        Load(reopened, saved);
    } catch (const EVelmoraError &error) {
        std::fprintf(stderr, "saved project does not load back: %s\n", error.what());
        std::abort();
    }
}

void LoadAsClipboard(const QByteArray &bytes)
{
    TDocument document;
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    try {
        LoadNodeChunks(buffer, document.Tree(), *document.ProjectNode());
    } catch (const EVelmoraError &) {
        return;
    }
    const QByteArray saved = Save(document);
    TDocument reopened;
    try {
        Load(reopened, saved);
    } catch (const EVelmoraError &error) {
        std::fprintf(stderr, "pasted nodes do not load back: %s\n", error.what());
        std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // With VELMORA_FUZZ_WRITE_SEEDS set, the binary only writes its seed corpus.
    const QByteArray seeds = qgetenv("VELMORA_FUZZ_WRITE_SEEDS");
    if (!seeds.isEmpty()) {
        fuzz::WriteSeeds(QString::fromLocal8Bit(seeds));
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    LoadAsProject(bytes);
    LoadAsClipboard(bytes);
    return 0;
}
