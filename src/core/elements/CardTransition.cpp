#include "core/elements/CardTransition.h"

#include "core/error.h"

#include <QStringList>

namespace velmora {

TTransition ParseTransition(const QString &text)
{
    const QStringList words = text.simplified().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto fail = [&](const QString &why) -> TTransition {
        throw EVelmoraError(QStringLiteral("\"%1\" %2; a transition is cut, fade N, dissolve N or push (N frames, 1 to %3)")
                                .arg(text.trimmed(), why)
                                .arg(MaxTransitionFrames));
    };
    if (words.isEmpty())
        return {};
    const QString &name = words.front();
    if (name == QLatin1String("cut") || name == QLatin1String("push")) {
        if (words.size() > 1)
            return fail(QStringLiteral("takes no frames"));
        return {name == QLatin1String("cut") ? TTransitionKind::Cut : TTransitionKind::Push, 0};
    }
    if (name != QLatin1String("fade") && name != QLatin1String("dissolve"))
        return fail(QStringLiteral("is not a transition"));
    if (words.size() != 2)
        return fail(QStringLiteral("needs its length in frames"));
    bool ok = false;
    const int frames = words[1].toInt(&ok);
    if (!ok || frames < 1 || frames > MaxTransitionFrames || words[1].startsWith(QLatin1Char('+')))
        return fail(QStringLiteral("has a length that is not a whole number of frames from 1 to %1").arg(MaxTransitionFrames));
    return {name == QLatin1String("fade") ? TTransitionKind::Fade : TTransitionKind::Dissolve, frames};
}

QString TransitionText(const TTransition &transition)
{
    switch (transition.Kind) {
    case TTransitionKind::Fade:
        return QStringLiteral("fade %1").arg(transition.Frames);
    case TTransitionKind::Dissolve:
        return QStringLiteral("dissolve %1").arg(transition.Frames);
    case TTransitionKind::Push:
        return QStringLiteral("push");
    case TTransitionKind::Cut:
        break;
    }
    return QStringLiteral("cut");
}

} // namespace velmora
