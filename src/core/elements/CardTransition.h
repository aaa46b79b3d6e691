#pragma once

#include <QString>

namespace velmora {

// How a card is entered or left. Fades go to and from black (to transparency with --alpha);
// a dissolve mixes into the neighbouring segment; a push scrolls the card away as the crawl
// that follows it comes in.
enum class TTransitionKind { Cut, Fade, Dissolve, Push };

struct TTransition
{
    TTransitionKind Kind = TTransitionKind::Cut;
    int Frames = 0;  // 0 for a cut and a push, 1 to MaxTransitionFrames otherwise

    bool operator==(const TTransition &) const = default;
};

inline constexpr int MaxTransitionFrames = 1000;

// Reads "cut", "fade 12", "dissolve 24" or "push" (any case). Throws EVelmoraError with a
// message that quotes the text and says what is accepted.
TTransition ParseTransition(const QString &text);

// The text ParseTransition reads back.
QString TransitionText(const TTransition &transition);

} // namespace velmora
