#pragma once

#include "core/elements/Interfaces.h"

namespace velmora {

// Common ground of every kind.
class TVmElement : public IElement
{
};

// An element with a caption field of its own that the user may rename in place.
class TCaptionedElement : public TVmElement
{
public:
    explicit TCaptionedElement(QString caption) : m_caption(std::move(caption)) {}

    void GetCaption(int column, QString &caption) const override;
    bool CanEditCaption(int column) const override;
    bool SetCaption(int column, const QString &caption) override;

protected:
    // The record of the column and columns kinds: the caption alone.
    void SaveCaptionRecord(QIODevice &stream) const;
    void LoadCaptionRecord(QIODevice &stream);

private:
    QString m_caption;
};

} // namespace velmora
