#pragma once

#include "core/signoff/RollSections.h"

#include <QTimer>
#include <QWidget>
#include <utility>
#include <vector>

class QSlider;

namespace velmora {

class TDocument;

// The strip under the preview's slider: timecodes along the roll and a mark for each heading,
// at the slider's own scale. A click moves the slider there, to a heading when one is near.
class TRollRuler : public QWidget
{
    Q_OBJECT
public:
    TRollRuler(TDocument &document, QSlider &slider, QWidget *parent = nullptr);

    // Measures the sections again once the document has been still for a moment.
    void ScheduleSections();
    // Measures them now (tests, and New/Open).
    void UpdateSections();
    const std::vector<TRollSection> &Sections() const { return m_sections; }
    // Where position lies along the ruler, in the slider's scale.
    int XOf(int position) const;
    // The section whose title is drawn at point, or whose mark is within reach of its x; null
    // when neither.
    const TRollSection *SectionAt(QPoint point) const;
    // Seconds between labelled ticks for the slider's range at the project's rates.
    int TickSeconds() const;

    // Where each shown heading title is drawn, with the text drawn there (elided when long):
    // titles never overlap each other and stay inside the ruler; one with no room is left out
    // (its mark and tool tip remain).
    struct TLabel
    {
        const TRollSection *Section = nullptr;  // null for a timecode
        QRect Box;
        QString Text;
    };
    std::vector<TLabel> TitleLabels() const;
    // The timecode labels along the bottom line, kept apart and inside the ruler the same way.
    std::vector<TLabel> TimecodeLabels() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    // Pixels of slider movement per second of video.
    double PositionsPerSecond() const;
    int PositionAt(int x) const;

    TDocument &m_document;
    QSlider &m_slider;
    std::vector<TRollSection> m_sections;
    QTimer m_sectionTimer;
};

} // namespace velmora
