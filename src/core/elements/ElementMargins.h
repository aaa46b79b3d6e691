#pragma once

#include "core/elements/Interfaces.h"

namespace velmora {

// Top offset, fixed height and alignments shared by the text and image elements.
class TPlacedElement : public IElementMargins, public IElementHorizontalAlign, public IElementVerticalAlign
{
public:
    qint32 GetFixedHeight() const override { return m_fixedHeight; }
    void SetFixedHeight(qint32 value) override { m_fixedHeight = value; }
    qint32 GetTopOffset() const override { return m_topOffset; }
    void SetTopOffset(qint32 value) override { m_topOffset = value; }
    bool GetUseFixedHeight() const override { return m_useFixedHeight; }
    void SetUseFixedHeight(bool value) override { m_useFixedHeight = value; }
    TElementHAlignment GetHorizontalAlign() const override { return m_hAlign; }
    void SetHorizontalAlign(TElementHAlignment value) override { m_hAlign = value; }
    TElementVAlignment GetVerticalAlign() const override { return m_vAlign; }
    void SetVerticalAlign(TElementVAlignment value) override { m_vAlign = value; }

protected:
    TElementHAlignment m_hAlign = eaCenter;
    TElementVAlignment m_vAlign = eaTop;
    qint32 m_topOffset = 0;
    bool m_useFixedHeight = false;
    qint32 m_fixedHeight = 0;
};

} // namespace velmora
