#pragma once

#include <QString>

namespace velmora::fuzz {

// Writes valid and damaged project files and clipboard payloads into dir, one per file,
// credit blocks (copied and linked) among them.
void WriteSeeds(const QString &dir);

// What velmora-cli has before it reads a project: a GUI application on the offscreen platform,
// so that fonts resolve and credit blocks lay out. Then, with VELMORA_FUZZ_WRITE_SEEDS set, the
// binary only writes its seed corpus there and exits. Called from LLVMFuzzerInitialize.
void StartFuzzing(int *argc, char ***argv);

} // namespace velmora::fuzz
