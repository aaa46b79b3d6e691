#include "cli/CliSupport.h"
namespace velmora::cli {
int RunProof(const QStringList &) { return 0; }
int RunDiff(const QStringList &) { return 0; }
}
