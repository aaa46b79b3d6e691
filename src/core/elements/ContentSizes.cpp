#include "core/elements/ContentSizes.h"

namespace velmora {

const std::array<TContentSize, 25> ContentSizes{{
    {"Custom", 0, 0, 25},
    {"VCD PAL", 352, 288, 25},
    {"VCD NTSC", 352, 240, 30},
    {"SVCD PAL", 480, 576, 25},
    {"SVCD NTSC", 480, 480, 30},
    {"DVD PAL", 720, 576, 25},
    {"DVD NTSC", 720, 480, 30},
    {"HD 720p", 1280, 720, 25},
    {"HDDVD/HDTV NTSC", 1440, 1080, 30},
    {"DV PAL", 720, 576, 25},
    {"DV NTSC", 720, 480, 30},
    {"Screen", 640, 480, 25},
    {"Screen", 800, 600, 25},
    {"Screen", 1024, 768, 25},
    {"Screen", 1280, 1024, 25},
    {"Screen", 1600, 1200, 25},
    {"Wide Screen", 1400, 768, 25},
    {"HD 1080p", 1920, 1080, 24},
    {"DCI Scope", 2048, 858, 24},
    {"DCI Flat", 1998, 1080, 24},
    {"UHD", 3840, 2160, 24},
    {"DCI 4K", 4096, 2160, 24},
    // Appended, so that the rows stored in projects keep their meaning.
    {"DCI 2K Full", 2048, 1080, 24},
    {"DCI 4K Flat", 3996, 2160, 24},
    {"DCI 4K Scope", 4096, 1716, 24},
}};

QStringList ContentSizeListItems()
{
    QStringList items;
    items.append(QString::fromLatin1(ContentSizes[0].Name));
    for (std::size_t i = 1; i < ContentSizes.size(); ++i) {
        const TContentSize &size = ContentSizes[i];
        items.append(QString::asprintf("%s (%d x %d)", size.Name, size.Width, size.Height));
    }
    return items;
}

std::vector<std::pair<QString, int>> ContentSizeFormerNames()
{
    return {{QStringLiteral("HDDVD/HDTV PAL (1280 x 720)"), 7}};
}

} // namespace velmora
