#include "core/credits/CreditSegments.h"

#include <algorithm>

namespace velmora {

std::vector<TCreditSegment> SplitCreditSegments(const TCreditRows &rows)
{
    const bool cards = std::any_of(rows.Rows.begin(), rows.Rows.end(),
                                   [](const TCreditRow &row) { return row.Kind == TCreditRowKind::Card; });
    if (!cards)
        return {};
    std::vector<TCreditSegment> segments;
    const auto begin = [&](const TCreditRow *start) {
        TCreditSegment segment;
        segment.Rows.SheetName = rows.SheetName;
        segment.Rows.ColumnIndex = rows.ColumnIndex;
        if (start != nullptr) {
            segment.Card = start->Kind == TCreditRowKind::Card;
            segment.Start = *start;
            segment.Transitions = TransitionCell(rows, *start);
        }
        segments.push_back(std::move(segment));
    };
    begin(nullptr);
    for (const TCreditRow &row : rows.Rows) {
        if (row.Kind == TCreditRowKind::Card || row.Kind == TCreditRowKind::Crawl)
            begin(&row);
        else
            segments.back().Rows.Rows.push_back(row);
    }
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const TCreditSegment &segment = segments[i];
        if (!segment.Card)
            continue;
        if (segment.Rows.Rows.empty())
            FailCreditRow(rows.SheetName, segment.Start.Number, QStringLiteral("a card row needs rows after it to show"));
        if (segment.Transitions.Out.Kind == TTransitionKind::Push) {
            // The crawl it leaves for is the next segment with rows.
            std::size_t next = i + 1;
            while (next < segments.size() && !segments[next].Card && segments[next].Rows.Rows.empty())
                ++next;
            if (next == segments.size() || segments[next].Card)
                FailCreditRow(rows.SheetName, segment.Start.Number,
                              QStringLiteral("column Transition: a push leaves a card for a crawl, but no crawl follows this card"));
        }
    }
    // A crawl with nothing in it (the rows before the first card, a crawl row at the end) runs no frames.
    std::erase_if(segments, [](const TCreditSegment &segment) { return !segment.Card && segment.Rows.Rows.empty(); });
    return segments;
}

int ReadingCharacters(const TCreditRows &rows)
{
    int characters = 0;
    for (const TCreditRow &row : rows.Rows)
        for (const TCreditColumn column : {colRole, colName, colText})
            if (!(column == colRole && row.Continued))
                characters += int(row[column].simplified().size());
    return characters;
}

} // namespace velmora
