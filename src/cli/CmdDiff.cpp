#include "cli/CliSupport.h"
namespace velmora::cli {
int RunDiff(const QStringList &) { return 0; }
}
