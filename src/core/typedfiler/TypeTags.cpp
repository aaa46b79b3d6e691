#include "core/typedfiler/TypeTags.h"

#include <array>

namespace velmora {

QString TypeName(quint8 tag)
{
    static constexpr std::array<const char *, 27> names = {
        "Empty",   "Cardinal",  "SmallInt",   "String",   "Color",     "GUID",
        "Widestring", "Boolean", "Float",     "Single",   "Currency",  "DateTime",
        "Variant", "Word",      "Integer",    "Exception", "Stream",   "Int64",
        "IP Address", "Version", "Encrypted Stream", "Variant Type", "ShortInt", "Byte",
        "Font",    "Picture",   "Compressed Stream",
    };
    if (tag < names.size())
        return QString::fromLatin1(names[tag]);
    // The misspelling is part of the message text other tools match on.
    return QStringLiteral("Unknow Type : $") + QString::number(tag, 16).toUpper();
}

} // namespace velmora
