#include "ui/preview/Transport.h"

#include "controls/PreviewPaintBox.h"
#include "core/elements/Interfaces.h"
#include "core/document/Document.h"
#include "core/render/FrameRate.h"
#include "ui/window/EditorContext.h"
#include "ui/preview/TimePanel.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QTextEdit>

namespace velmora {

namespace {

// Places where typing goes: line edits (the tree's caption editor too), spin edits, text areas.
bool IsTextInput(const QObject *widget)
{
    if (qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QAbstractSpinBox *>(widget)
        || qobject_cast<const QTextEdit *>(widget) || qobject_cast<const QPlainTextEdit *>(widget))
        return true;
    const auto *combo = qobject_cast<const QComboBox *>(widget);
    return combo != nullptr && combo->isEditable();
}

bool IsAltTransportKey(const QKeyEvent &key)
{
    return key.modifiers() == Qt::AltModifier
        && (key.key() == Qt::Key_Space || key.key() == Qt::Key_Left || key.key() == Qt::Key_Right);
}

} // namespace

TTransport::TTransport(TEditorContext &context, IPlaybackTarget &target, QWidget &previewBox, QSlider &trackBar,
    QStatusBar &statusBar, QWidget &window)
    : QObject(&window), m_context(context), m_previewBox(previewBox), m_trackBar(trackBar), m_window(window), m_target(target),
      m_player(m_target, m_clock)
{
    CreateActions();
    CreateMenuAndButtons();
    TimePanel = new TTimePanel(&statusBar);
    // Beside the scroll position panel.
    statusBar.insertWidget(2, TimePanel);
    connect(&m_player, &TPlayer::StateChanged, this, &TTransport::StateChanged);
    // Taking hold of the slider hands the position back to the user.
    connect(&m_trackBar, &QSlider::sliderPressed, &m_player, &TPlayer::Pause);
    connect(&m_trackBar, &QSlider::actionTriggered, &m_player, &TPlayer::Pause);
    // Keys reach the filter before the focused widget: the slider would take the arrows itself.
    qApp->installEventFilter(this);
    StateChanged();
}

void TTransport::CreateActions()
{
    const auto make = [this](const QString &caption, const char *name, auto slot) {
        auto *action = new QAction(caption, &m_window);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, &m_player, slot);
        return action;
    };
    ActPlay = make(QStringLiteral("Play"), "ActPlay", &TPlayer::TogglePlay);
    ActPlay->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Space));
    ActStepBack = make(QStringLiteral("Step Back"), "ActStepBack", &TPlayer::StepBackward);
    ActStepBack->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    ActStepForward = make(QStringLiteral("Step Forward"), "ActStepForward", &TPlayer::StepForward);
    ActStepForward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    // These keys act only on the preview and the slider; the menu shows them without binding them.
    ActGoToStart = make(QStringLiteral("Go to Start\tHome"), "ActGoToStart", &TPlayer::GoToStart);
    ActGoToEnd = make(QStringLiteral("Go to End\tEnd"), "ActGoToEnd", &TPlayer::GoToEnd);
    ActPlayBackward = make(QStringLiteral("Play Backward\tJ"), "ActPlayBackward", &TPlayer::ShuttleBackward);
    ActPause = make(QStringLiteral("Pause\tK"), "ActPause", &TPlayer::Pause);
    ActPlayForward = make(QStringLiteral("Play Forward\tL"), "ActPlayForward", &TPlayer::ShuttleForward);
    ActLoop = new QAction(QStringLiteral("Loop"), &m_window);
    ActLoop->setObjectName(QStringLiteral("ActLoop"));
    ActLoop->setCheckable(true);
    ActLoop->setIcon(QApplication::style()->standardIcon(QStyle::SP_BrowserReload));
    connect(ActLoop, &QAction::toggled, &m_player, &TPlayer::SetLooping);
    m_window.addActions({ActPlay, ActStepBack, ActStepForward});
}

void TTransport::CreateMenuAndButtons()
{
    TActionRegistry &actions = m_context.Actions();
    const QString menu = QStringLiteral("&Playback");
    const auto add = [&](QAction *action, bool separatorBefore = false) {
        actions.Register(action, {.Menu = menu, .SeparatorBefore = separatorBefore});
    };
    // Play and Loop also sit in the upper tool bar, just before Generate.
    TActionPlace play{.Menu = menu, .ToolBar = QStringLiteral("UpperToolBar"), .ToolBarBefore = QStringLiteral("ActGenerateFrames")};
    actions.Register(ActPlay, play);
    add(ActPlayBackward, true);
    add(ActPause);
    add(ActPlayForward);
    add(ActStepBack, true);
    add(ActStepForward);
    add(ActGoToStart);
    add(ActGoToEnd);
    play.SeparatorBefore = true;
    play.ToolBarSeparatorAfter = true;
    actions.Register(ActLoop, play);
}

void TTransport::SetGenerating(bool on)
{
    if (on)
        m_player.Pause();
    for (QAction *action : {ActPlay, ActStepBack, ActStepForward, ActGoToStart, ActGoToEnd, ActPlayBackward, ActPause, ActPlayForward})
        action->setEnabled(!on);
}

void TTransport::UpdateTimePanel()
{
    const auto *project = queryInterface<IProject>(m_context.Document().ProjectNode()->Element());
    TimePanel->ShowPlayer(m_player, project ? ProjectFrameRate(*project) : TFrameRate{std::max(1, m_target.FrameRate()), 1},
        project ? project->GetStartTimecode() : QString());
}

void TTransport::StateChanged()
{
    const bool playing = m_player.IsPlaying();
    ActPlay->setText(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
    ActPlay->setIcon(QApplication::style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    UpdateTimePanel();
}

QAction *TTransport::TransportKey(const QKeyEvent &key) const
{
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return nullptr;
    switch (key.key()) {
    case Qt::Key_Space:
        return ActPlay;
    case Qt::Key_J:
        return ActPlayBackward;
    case Qt::Key_K:
        return ActPause;
    case Qt::Key_L:
        return ActPlayForward;
    case Qt::Key_Home:
        return ActGoToStart;
    case Qt::Key_End:
        return ActGoToEnd;
    case Qt::Key_Left:
        return ActStepBack;
    case Qt::Key_Right:
        return ActStepForward;
    default:
        return nullptr;
    }
}

bool TTransport::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Alt+Space and Alt+arrows stay with the field being typed in.
        auto *key = static_cast<QKeyEvent *>(event);
        if (IsTextInput(watched) && IsAltTransportKey(*key)) {
            key->accept();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress && (watched == &m_previewBox || watched == &m_trackBar)) {
        const auto &key = *static_cast<QKeyEvent *>(event);
        if (QAction *action = TransportKey(key)) {
            // A held arrow keeps stepping; a held Space, J or L must not flicker or race to 4x.
            const bool repeats = action == ActStepBack || action == ActStepForward;
            // Space and J/K/L belong to the preview alone: the box shows when it has the keys.
            const bool previewOnly = action == ActPlay || action == ActPlayBackward || action == ActPause || action == ActPlayForward;
            if (previewOnly && watched != &m_previewBox)
                return QObject::eventFilter(watched, event);
            if (action->isEnabled() && (repeats || !key.isAutoRepeat()))
                action->trigger();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace velmora
