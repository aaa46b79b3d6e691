#include "ui/FontWarningPanel.h"

#include "core/document/Document.h"
#include "core/render/FontWarnings.h"

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
    const auto schedule = [this] { m_timer.start(); };
    connect(&document, &TDocument::ElementChanged, this, schedule);
    connect(&document, &TDocument::ElementReplaced, this, schedule);
    connect(&document, &TDocument::NodeInserted, this, schedule);
    connect(&document, &TDocument::NodeRemoved, this, schedule);
    connect(&document, &TDocument::TreeReset, this, schedule);
}

void TFontWarningPanel::Update()
{
    m_timer.stop();
    const QStringList warnings = FontWarnings(m_document.Tree().Root());
    if (warnings.isEmpty()) {
        clear();
        setToolTip(QString());
        hide();
        return;
    }
    QString first = warnings.first();
    first[0] = first[0].toUpper();
    const QString more = warnings.size() == 1 ? QString() : QStringLiteral(" (and %1 more)").arg(warnings.size() - 1);
    // A long name must not widen the window; the tool tip holds every warning in full.
    setText(fontMetrics().elidedText(first, Qt::ElideRight, 640) + more);
    setToolTip(warnings.join(QLatin1Char('\n')));
    show();
}

} // namespace velmora
