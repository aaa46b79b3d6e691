#pragma once

#include "core/elements/Alignments.h"

#include <QWidget>
#include <array>

class QToolButton;

namespace velmora {

// 3 x 3 grid of toggle buttons choosing a horizontal and a vertical alignment at once.
class TAlignments : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool AllowVerticalAlign READ AllowVerticalAlign WRITE SetAllowVerticalAlign)
public:
    explicit TAlignments(QWidget *parent = nullptr);

    TElementHAlignment HAlign() const { return m_hAlign; }
    TElementVAlignment VAlign() const { return m_vAlign; }
    // Store the alignment and move the pressed cell; no event is raised.
    void SetHAlign(TElementHAlignment value);
    void SetVAlign(TElementVAlignment value);

    bool AllowVerticalAlign() const { return m_allowVerticalAlign; }
    // Shows or hides the top and bottom rows; the picker resizes to match.
    void SetAllowVerticalAlign(bool value);

    // ToolButton1..ToolButton9 as index 0..8 (top-left first, row by row downwards).
    QToolButton *ToolButton(int index) const { return m_buttons.at(index); }

    // The 16 x 16 glyph of a cell, by its tag (bottom-left cell is 0).
    static QImage AlignmentGlyph(int tag);

Q_SIGNALS:
    // Raised after every click on a cell, also when the values did not change.
    void OnAlignmentChange(QObject *Sender, velmora::TElementHAlignment HAlign, velmora::TElementVAlignment VAlign);

private:
    void UpdateButtons();
    void ToolButton1Click(int tag);

    std::array<QToolButton *, 9> m_buttons{};
    TElementHAlignment m_hAlign = eaRight;
    TElementVAlignment m_vAlign = eaTop;
    bool m_allowVerticalAlign = false;
};

} // namespace velmora
