#pragma once

#include "core/elements/ElementBase.h"
#include "core/elements/ElementMargins.h"
#include "core/elements/TextBlock.h"
#include "core/elements/ProjectStyle.h"

namespace velmora {

// A block of wrapped text in one font and colour.
class TVmElementText final : public TVmElement,
                             public IElementRender,
                             public IElementText,
                             public IGDIPFont,
                             public IElementStyled,
                             public IElementIndents,
                             public TPlacedElement
{
public:
    static const TElementKind Kind;

    // IElement
    const TElementKind &GetClass() const override { return Kind; }
    void GetCaption(int column, QString &caption) const override;
    int GetImageIndex(int column, TTreeImageKind kind) const override;
    bool CanEditCaption(int) const override { return false; }
    // The caption follows the text; renaming changes nothing.
    bool SetCaption(int, const QString &) override { return true; }
    void SaveToStream(QIODevice &stream) const override;
    void LoadFromStream(QIODevice &stream) override;

    // IElementRender: measures, draws clipped to its height, then advances rect.Y past itself.
    void Render(QPainter &graphics, TLayoutRect &rect, quint8 flags) override;

    // IElementText
    void GetText(QString &text) const override { text = m_text; }
    void SetText(const QString &text) override { m_text = text; }

    // IGDIPFont
    TArgb GetColor() const override { return m_color; }
    void GetFontName(QByteArray &name) const override { name = m_fontName; }
    qint32 GetFontSize() const override { return m_fontSize; }
    void SetColor(TArgb value) override { m_color = value; }
    void SetFontName(const QByteArray &name) override { m_fontName = name; }
    void SetFontSize(qint32 value) override { m_fontSize = value; }

    // IElementStyled
    QString GetStyleName() const override { return m_styleName; }
    void SetStyleName(const QString &name) override { m_styleName = name; }
    double GetLeading() const override { return m_leading; }
    void SetLeading(double value) override { m_leading = value; }
    qint32 GetTracking() const override { return m_tracking; }
    void SetTracking(qint32 value) override { m_tracking = value; }

    // IElementIndents: the text wraps and aligns in what the indents leave of its band.
    qint32 GetLeftIndent() const override { return m_leftIndent; }
    void SetLeftIndent(qint32 value) override { m_leftIndent = value; }
    qint32 GetRightIndent() const override { return m_rightIndent; }
    void SetRightIndent(qint32 value) override { m_rightIndent = value; }
    // Lower-case letters drawn as small capitals (as a credit style's small caps draw them).
    bool GetSmallCaps() const { return m_smallCaps; }
    void SetSmallCaps(bool value) { m_smallCaps = value; }

private:
    QString m_text = QStringLiteral("Text Element");
    QByteArray m_fontName = "Arial";
    qint32 m_fontSize = 14;
    TArgb m_color = 0xFFFFFFFF;
    QString m_styleName;
    double m_leading = 1.0;
    qint32 m_tracking = 0;
    qint32 m_leftIndent = 0;
    qint32 m_rightIndent = 0;
    bool m_smallCaps = false;
    TTextBlock m_block;
};

// The caption of a text: its first line, with "..." when more follows.
QString TextCaption(const QString &text);

} // namespace velmora
