// libFuzzer target: arbitrary bytes as a project file and as clipboard node chunks.
// Whatever loads must save again and load back.
#include "FuzzSeeds.h"

#include "core/document/Document.h"
#include "core/document/TreeSection.h"
#include "support/DocumentBytes.h"

#include <QBuffer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace velmora;

namespace {
using test::LoadFromBytes;
using test::SaveToBytes;

// What was loaded must save and load back.
void RequireReload(TDocument &document, const char *what)
{
    const QByteArray saved = SaveToBytes(document);
    TDocument reopened;
    try {
        LoadFromBytes(reopened, saved);
    } catch (const EVelmoraError &error) {
        std::fprintf(stderr, "%s do not load back: %s\n", what, error.what());
        std::abort();
    }
}

void LoadAsProject(const QByteArray &bytes)
{
    TDocument document;
    try {
        LoadFromBytes(document, bytes);
    } catch (const EVelmoraError &) {
        return;
    }
    RequireReload(document, "saved projects");
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
    RequireReload(document, "pasted nodes");
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Credit blocks lay out as they load, and need fonts as the command line has them.
    fuzz::StartFuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    LoadAsProject(bytes);
    LoadAsClipboard(bytes);
    return 0;
}
