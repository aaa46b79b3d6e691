#include "core/export/formats/ColourEncoding.h"

#include "core/export/formats/OutputFormats.h"

#include <QStringList>
#include <array>

namespace velmora {

namespace {

struct TColourRow
{
    TColourEncoding Encoding;
    const char *Name;
};

constexpr std::array<TColourRow, 4> ColourRows{{
    {TColourEncoding::Bt709, "bt709"},
    {TColourEncoding::Pq, "pq"},
    {TColourEncoding::Hlg, "hlg"},
    {TColourEncoding::DciXyz, "dci-xyz"},
}};

bool Carries(const TOutputFormat &format, const TCodecProfile &profile, TColourEncoding encoding)
{
    switch (encoding) {
    case TColourEncoding::Bt709:
        return true;
    case TColourEncoding::Pq:
    case TColourEncoding::Hlg:
        // OpenEXR holds linear light, which has no PQ or HLG signal to carry.
        return format.Kind != TSinkKind::Avi && profile.Bits >= 10 && format.Name != QLatin1String("exr");
    case TColourEncoding::DciXyz:
        return format.Name == QLatin1String("tiff") && profile.Bits == 16;
    }
    return false;
}

struct TCinemaRaster
{
    QSize Size;
    const char *Name;
};

// Smallest first, so the first that holds a film is the one it goes on.
constexpr std::array<TCinemaRaster, 4> CinemaRasters{{
    {QSize(2048, 858), "2K Scope"},
    {QSize(1998, 1080), "2K Flat"},
    {QSize(4096, 1716), "4K Scope"},
    {QSize(3996, 2160), "4K Flat"},
}};

} // namespace

QSize DcdmRaster(QSize film)
{
    for (const TCinemaRaster &raster : CinemaRasters)
        if (film.width() <= raster.Size.width() && film.height() <= raster.Size.height())
            return raster.Size;
    return {};
}

QString DcdmRasterNames()
{
    QStringList names;
    for (const TCinemaRaster &raster : CinemaRasters)
        names << QStringLiteral("%1 x %2 (%3)").arg(raster.Size.width()).arg(raster.Size.height()).arg(QLatin1String(raster.Name));
    return names.join(QStringLiteral(", "));
}

QString ColourName(TColourEncoding encoding)
{
    for (const TColourRow &row : ColourRows)
        if (row.Encoding == encoding)
            return QString::fromLatin1(row.Name);
    return {};
}

QString ColourNames()
{
    QStringList names;
    for (const TColourRow &row : ColourRows)
        names << QString::fromLatin1(row.Name);
    return names.join(QStringLiteral(", "));
}

std::optional<TColourEncoding> ParseColourEncoding(const QString &name)
{
    const QString key = name.trimmed().toLower();
    for (const TColourRow &row : ColourRows)
        if (key == QLatin1String(row.Name))
            return row.Encoding;
    return std::nullopt;
}

QString ColourRefusal(const TOutputFormat &format, const TFormatCodec &codec, const TCodecProfile &profile,
                      TColourEncoding encoding)
{
    if (Carries(format, profile, encoding))
        return {};
    QStringList carriers;
    for (const TOutputFormat &f : OutputFormats())
        for (const TFormatCodec &c : f.Codecs)
            for (const TCodecProfile &p : c.Profiles)
                if (Carries(f, p, encoding))
                    carriers << QStringLiteral("%1 %2%3").arg(f.Name, c.Name, p.Name.isEmpty() ? QString() : QStringLiteral(" ") + p.Name);
    const QString what = QStringLiteral("%1 %2 %3").arg(format.Title, codec.Title, profile.Title).simplified();
    return QStringLiteral("%1 cannot carry --colour %2; these can: %3.")
        .arg(what, ColourName(encoding), carriers.join(QStringLiteral(", ")));
}

} // namespace velmora
