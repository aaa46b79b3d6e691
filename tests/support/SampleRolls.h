#pragma once

// Credit rolls of any length: names and roles, column sets of three, a picture now and then.
#include "support/RollBuilder.h"

namespace velmora::test {

// Adds count items under the project. With quirks, items also get negative offsets, clipping
// fixed heights, other alignments, nested columns and pictures wider than the film.
inline void AddCreditRoll(RollBuilder &roll, int count, bool quirks)
{
    static const char *const roles[] = {"Director", "Producer", "Director of Photography", "Editor",
        "Original Music", "Production Design", "Costume Design", "Sound Mixer"};
    TElementNode &project = *roll.projectNode;
    for (int i = 0; i < count; ++i) {
        const QString role = QString::fromLatin1(roles[i % 8]);
        if (i % 10 == 9) {
            TElementNode &set = roll.Columns(project, 3);
            for (int c = 0; c < 3; ++c) {
                roll.Text(*set.Child(c), role, 10).SetFontSize(18);
                roll.Text(*set.Child(c), QStringLiteral("Name %1-%2\r\nSecond Name").arg(i).arg(c));
                if (quirks && c == 1 && i % 20 == 19) {
                    TElementNode &inner = roll.Columns(*set.Child(c), 2);
                    roll.Text(*inner.Child(0), QStringLiteral("Left"));
                    roll.Text(*inner.Child(1), QStringLiteral("Right"), -8);
                }
            }
            continue;
        }
        if (i % 50 == 24) {
            TVmElementImage &image = roll.Picture(project, PatternImage(4, 2).scaled(400, 200));
            image.SetUseFixedHeight(true);
            image.SetFixedHeight(120);
            image.SetTopOffset(30);
            if (quirks && i % 100 == 24) {
                image.SetSpecificDims(true);
                image.SetWidth(4000);
                image.SetHeight(90);
            }
            continue;
        }
        TVmElementText &text = roll.Text(project, QStringLiteral("%1\r\nPerson Number %2").arg(role).arg(i), 24);
        text.SetFontSize(i % 3 == 0 ? 32 : 24);
        if (!quirks)
            continue;
        if (i % 7 == 3)
            text.SetTopOffset(-40);
        if (i % 11 == 5) {
            text.SetUseFixedHeight(true);
            text.SetFixedHeight(14);
            text.SetVerticalAlign(eaBottom);
        }
        if (i % 13 == 4)
            text.SetHorizontalAlign(i % 2 ? eaLeft : eaRight);
    }
}

} // namespace velmora::test
