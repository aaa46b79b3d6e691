#include "ui/panels/FontWarningPanel.h"

#include "core/document/Document.h"
#include "core/elements/FontCoverage.h"
#include "core/render/FontWarnings.h"
#include "core/document/Document.h"

namespace velmora {

TFontWarningPanel::TFontWarningPanel(TDocument &document, QWidget *parent) : QLabel(parent), m_document(document)
{
    setObjectName(QStringLiteral("FontWarning"));
    setStyleSheet(QStringLiteral("color: #b00000"));
    hide();
    // Typing into a text changes it once per key; laying every text out again waits for a pause.
    m_timer.setSingleShot(true);
    m_timer.setInterval(300);
    connect(&m_timer, &QTimer::timeout, this, &TFontWarningPanel::Update);
    connect(&document, &TDocument::Changed, this, [this] { m_timer.start(); });
}

void TFontWarningPanel::Update()
{
    m_timer.stop();
    const TElementNode &root = m_document.Tree().Root();
    QStringList warnings = UnknownFontWarnings(root);
    const std::vector<TMissingGlyphs> missing = FindMissingGlyphs(root);
    for (const TMissingGlyphs &text : missing)
        warnings.append(MissingGlyphsWarning(text));
    if (warnings.isEmpty()) {
        clear();
        setToolTip(QString());
        hide();
        return;
    }
    // The status bar is shared with the frame and time panels: a short line, the whole story
    // in the tool tip.
    QString summary;
    if (!missing.empty()) {
        const TMissingGlyphs &first = missing.front();
        summary = QStringLiteral("No font for %1 in \"%2\"")
                      .arg(CodePointList(first.Characters.first(1)), fontMetrics().elidedText(first.Element, Qt::ElideRight, 120));
    } else {
        summary = warnings.first();
        summary[0] = summary[0].toUpper();
        summary = fontMetrics().elidedText(summary, Qt::ElideRight, 300);
    }
    const qsizetype more = warnings.size() - 1;
    setText(more > 0 ? QStringLiteral("%1 (+%2 more)").arg(summary).arg(more) : summary);
    QStringList lines;
    for (QString warning : warnings) {
        warning[0] = warning[0].toUpper();
        lines.append(warning);
    }
    setToolTip(lines.join(QLatin1Char('\n')));
    show();
}

} // namespace velmora
