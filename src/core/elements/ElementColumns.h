#pragma once

#include "core/elements/ElementBase.h"

namespace velmora {

// A group whose columns run side by side; draws nothing itself.
class TVmElementColumns final : public TCaptionedElement, public IElementColumnSet
{
public:
    static const TElementKind Kind;

    TVmElementColumns() : TCaptionedElement(QStringLiteral("Columns")) {}
    const TElementKind &GetClass() const override { return Kind; }
    int GetImageIndex(int, TTreeImageKind) const override { return 3; }
    void SaveToStream(QIODevice &stream) const override { SaveCaptionRecord(stream); }
    void LoadFromStream(QIODevice &stream) override { LoadCaptionRecord(stream); }
};

// One column of a columns group; stacks its children.
class TVmElementColumn final : public TCaptionedElement, public IElementContainer
{
public:
    static const TElementKind Kind;

    TVmElementColumn() : TCaptionedElement(QStringLiteral("Column")) {}
    const TElementKind &GetClass() const override { return Kind; }
    int GetImageIndex(int, TTreeImageKind) const override { return 2; }
    void SaveToStream(QIODevice &stream) const override { SaveCaptionRecord(stream); }
    void LoadFromStream(QIODevice &stream) override { LoadCaptionRecord(stream); }
};

} // namespace velmora
