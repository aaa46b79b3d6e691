// The records the five element kinds write into project files and the clipboard.
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"
#include "core/elements/EmbeddedImage.h"
#include "core/elements/StyleRecords.h"
#include "core/typedfiler/CodePage.h"
#include "core/typedfiler/TypeTags.h"
#include "core/typedfiler/TypedFiler.h"

#include <algorithm>
#include <QRegularExpression>

namespace velmora {

namespace {
constexpr quint32 ProjectRecordVersion = 5;
constexpr quint32 TextRecordVersion = 3;
constexpr quint32 ImageRecordVersion = 1;
// The start timecode follows the styles as a section of its own, so the record keeps version 5
// and an older Velmora, which stops after the styles, reads the project as before.
constexpr char StartTimecodeMark[] = "VmStartTimecode";
constexpr quint32 StartTimecodeVersion = 1;
// The NTSC form of the rate (23.976 for 24 ...), after the start timecode when there is one.
constexpr char NtscRateMark[] = "VmNtscRate";
constexpr quint32 NtscRateVersion = 1;

// The part after a text's style that places it within its band and sets its capitals (what an
// unlinked credit line needs).
constexpr char TextPlacementSectionMark[] = "VmTextPlacement";
constexpr quint32 TextPlacementSectionVersion = 1;
constexpr qint32 MaxTextIndent = 20000;

// Alignments travel as Integers; the element keeps their low byte.
TElementHAlignment ReadHAlign(ITypedFiler &filer)
{
    return static_cast<TElementHAlignment>(static_cast<quint8>(filer.ReadInteger()));
}

TElementVAlignment ReadVAlign(ITypedFiler &filer)
{
    return static_cast<TElementVAlignment>(static_cast<quint8>(filer.ReadInteger()));
}
} // namespace

void TCaptionedElement::SaveCaptionRecord(QIODevice &stream) const
{
    TTypedFiler(&stream).WriteWideString(m_caption);
}

void TCaptionedElement::LoadCaptionRecord(QIODevice &stream)
{
    m_caption = TTypedFiler(&stream).ReadWideString();
}

void TVmElementProject::SaveToStream(QIODevice &stream) const
{
    TTypedFiler filer(&stream);
    filer.WriteVersion(ProjectRecordVersion);
    filer.WriteWideString(FromSystemCodePage(m_name));
    filer.WriteInteger(m_height);
    filer.WriteInteger(m_width);
    filer.WriteInteger(m_contentSize);
    filer.WriteCardinal(m_backColor);
    WritePictureSlot(filer, m_background.get(), m_backgroundBytes, m_backgroundVector);
    filer.WriteInteger(m_wrapMode);
    filer.WriteInteger(m_frameRate);
    filer.WriteInteger(m_scrollRate);
    // Nothing after the rates unless there is something to say: such a project keeps its bytes.
    if (!m_styles.empty() || !m_startTimecode.isEmpty() || m_ntscRate)
        WriteProjectStyles(filer, m_styles);
    if (!m_startTimecode.isEmpty()) {
        filer.WriteString(QByteArray(StartTimecodeMark));
        filer.WriteVersion(StartTimecodeVersion);
        filer.WriteString(m_startTimecode.toLatin1());
    }
    if (m_ntscRate) {
        filer.WriteString(QByteArray(NtscRateMark));
        filer.WriteVersion(NtscRateVersion);
        filer.WriteInteger(1);
    }
}

void TVmElementProject::LoadFromStream(QIODevice &stream)
{
    TTypedFiler filer(&stream);
    const quint32 version = filer.ReadVersion();
    // Versions this build does not know keep every default.
    if (version < 3 || version > ProjectRecordVersion)
        return;
    m_name = ToSystemCodePage(filer.ReadWideString());
    m_height = filer.ReadInteger();
    m_width = filer.ReadInteger();
    m_contentSize = filer.ReadInteger();
    m_backColor = filer.ReadCardinal();
    if (version < 4)
        return;
    m_background.reset();
    // Decoded when first drawn: measuring a roll (info, frame counts) never needs it.
    m_background = ReadPictureSlot(filer, TColorHandling::Ignored, &m_backgroundBytes, false, m_backgroundVector);
    m_backgroundPending = m_background && !m_backgroundBytes.isEmpty();
    m_wrapMode = filer.ReadInteger();
    if (version < 5)
        return;
    m_frameRate = filer.ReadInteger();
    m_scrollRate = filer.ReadInteger();
    // The record ends here unless the project has styles.
    if (!stream.atEnd())
        m_styles = ReadProjectStyles(filer);
    m_startTimecode.clear();
    m_ntscRate = false;
    // Marked extensions follow, each only when it has something to say; a mark this build does
    // not know ends the record.
    while (!stream.atEnd() && filer.PeekType() == static_cast<quint8>(TTypeTag::String)) {
        const QByteArray mark = filer.ReadString();
        if (mark == StartTimecodeMark) {
            if (filer.ReadVersion() != StartTimecodeVersion)
                return;
            // Only the form is checked here: whether the frames fit the rate is asked where it is
            // used, so a later change of rate never loses the start on saving.
            static const QRegularExpression form(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d[:;]\\d\\d$"));
            const QString start = QString::fromLatin1(filer.ReadString());
            if (form.match(start).hasMatch())
                m_startTimecode = start;
        } else if (mark == NtscRateMark) {
            if (filer.ReadVersion() != NtscRateVersion)
                return;
            m_ntscRate = filer.ReadInteger() != 0;
        } else {
            return;
        }
    }
}

void TVmElementText::SaveToStream(QIODevice &stream) const
{
    TTypedFiler filer(&stream);
    filer.WriteVersion(TextRecordVersion);
    filer.WriteWideString(m_text);
    filer.WriteString(m_fontName);
    filer.WriteInteger(m_fontSize);
    filer.WriteCardinal(m_color);
    filer.WriteInteger(m_hAlign);
    filer.WriteInteger(m_vAlign);
    filer.WriteInteger(m_topOffset);
    filer.WriteBoolean(m_useFixedHeight);
    filer.WriteInteger(m_fixedHeight);
    // The placement part follows the style part, which is then written even when it says nothing.
    const bool placed = m_leftIndent != 0 || m_rightIndent != 0 || m_smallCaps;
    if (placed || TextStyleWanted(m_styleName, m_leading, m_tracking))
        WriteTextStyle(filer, m_styleName, m_leading, m_tracking);
    if (placed) {
        filer.WriteString(QByteArray(TextPlacementSectionMark));
        filer.WriteVersion(TextPlacementSectionVersion);
        filer.WriteInteger(m_leftIndent);
        filer.WriteInteger(m_rightIndent);
        filer.WriteBoolean(m_smallCaps);
    }
}

void TVmElementText::LoadFromStream(QIODevice &stream)
{
    TTypedFiler filer(&stream);
    const quint32 version = filer.ReadVersion();
    if (version < 1 || version > TextRecordVersion)
        return;
    m_text = filer.ReadWideString();
    m_fontName = filer.ReadString();
    m_fontSize = filer.ReadInteger();
    m_color = filer.ReadCardinal();
    if (version < 2)
        return;
    m_hAlign = ReadHAlign(filer);
    if (version < 3)
        return;
    m_vAlign = ReadVAlign(filer);
    m_topOffset = filer.ReadInteger();
    m_useFixedHeight = filer.ReadBoolean();
    m_fixedHeight = filer.ReadInteger();
    // The record ends here unless the text follows a style or is spaced out.
    if (!stream.atEnd())
        ReadTextStyle(filer, m_styleName, m_leading, m_tracking);
    // A later part this build does not know is left unread.
    if (!stream.atEnd() && filer.PeekType() == static_cast<quint8>(TTypeTag::String)
        && filer.ReadString() == QByteArrayView(TextPlacementSectionMark) && filer.ReadVersion() == TextPlacementSectionVersion) {
        m_leftIndent = std::clamp(filer.ReadInteger(), -MaxTextIndent, MaxTextIndent);
        m_rightIndent = std::clamp(filer.ReadInteger(), -MaxTextIndent, MaxTextIndent);
        m_smallCaps = filer.ReadBoolean();
    }
}

void TVmElementImage::SaveToStream(QIODevice &stream) const
{
    TTypedFiler filer(&stream);
    filer.WriteVersion(ImageRecordVersion);
    filer.WriteString(m_fileName);
    WritePictureSlot(filer, m_image.get(), m_imageBytes, m_vector);
    filer.WriteBoolean(m_specificDims);
    filer.WriteInteger(m_width);
    filer.WriteInteger(m_height);
    filer.WriteInteger(m_hAlign);
    filer.WriteInteger(m_vAlign);
    filer.WriteInteger(m_topOffset);
    filer.WriteBoolean(m_useFixedHeight);
    filer.WriteInteger(m_fixedHeight);
}

void TVmElementImage::LoadFromStream(QIODevice &stream)
{
    TTypedFiler filer(&stream);
    const quint32 version = filer.ReadVersion();
    if (version < 1 || version > 2)
        return;
    m_fileName = filer.ReadString();
    m_image.reset();
    m_image = ReadPictureSlot(filer, TColorHandling::Managed, &m_imageBytes, true, m_vector);
    m_specificDims = filer.ReadBoolean();
    m_width = filer.ReadInteger();
    m_height = filer.ReadInteger();
    m_hAlign = ReadHAlign(filer);
    m_vAlign = ReadVAlign(filer);
    if (version == 2) {
        m_vAlign = ReadVAlign(filer);
    } else if (filer.PeekType() != static_cast<quint8>(TTypeTag::Integer)) {
        // Older records may end after the vertical alignment. Those written by this build
        // carry the placement too, in the same order as version 2 minus the repeated alignment.
        return;
    }
    m_topOffset = filer.ReadInteger();
    m_useFixedHeight = filer.ReadBoolean();
    m_fixedHeight = filer.ReadInteger();
}

} // namespace velmora
