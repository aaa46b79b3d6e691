#include "core/signoff/CreditDiff.h"

#include "core/document/ElementTree.h"
#include "core/signoff/BlockLayouts.h"
#include "core/signoff/ProofPdf.h"
#include "core/render/Timecode.h"
#include "core/signoff/RollMap.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <tuple>

namespace velmora {

namespace {

using TKey = std::tuple<int, QString, QString, QString>;

// Pairs the entries still open on both sides that agree on key, first with first; the pairs
// become changes of kind (nothing when kind is empty: the entries are the same).
void Pair(std::vector<const TCreditEntry *> &olds, std::vector<const TCreditEntry *> &news,
          const std::function<std::optional<TKey>(const TCreditEntry &)> &key, std::optional<TChangeKind> kind,
          std::vector<TCreditChange> &changes)
{
    std::map<TKey, std::deque<std::size_t>> waiting;
    for (std::size_t i = 0; i < olds.size(); ++i)
        if (olds[i] != nullptr)
            if (const auto k = key(*olds[i]))
                waiting[*k].push_back(i);
    for (const TCreditEntry *&entry : news) {
        if (entry == nullptr)
            continue;
        const auto k = key(*entry);
        if (!k)
            continue;
        auto found = waiting.find(*k);
        if (found == waiting.end() || found->second.empty())
            continue;
        const TCreditEntry *&old = olds[found->second.front()];
        found->second.pop_front();
        if (kind)
            changes.push_back({*kind, *old, *entry});
        old = nullptr;
        entry = nullptr;
    }
}

int Order(const TCreditChange &change)
{
    return change.New ? change.New->Place.Number : change.Old->Place.Number;
}

QString Where(const TCreditPlace &place)
{
    return QStringLiteral("%1, credit %2, %3, frame %4 (%5)")
        .arg(place.Section.isEmpty() ? QStringLiteral("before the first heading") : QStringLiteral("under \"%1\"").arg(place.Section))
        .arg(place.Number)
        .arg(place.Row.isEmpty() ? place.Path : place.Row)
        .arg(place.Frame)
        .arg(place.Timecode);
}

QString Credit(const TCreditEntry &entry)
{
    if (entry.Kind == TCreditKind::Role)
        return QStringLiteral("\"%1\" as %2").arg(entry.Value, entry.Role);
    if (entry.Kind == TCreditKind::Names)
        return QStringLiteral("\"%1\"").arg(entry.Value);
    return QStringLiteral("%1 \"%2\"").arg(QLatin1String(CreditKindName(entry.Kind)), entry.Value);
}

} // namespace

std::vector<TCreditEntry> CreditEntries(const TElementTree &tree)
{
    std::vector<TCreditEntry> entries;
    const TElementNode *projectNode = tree.ProjectNode();
    if (projectNode == nullptr)
        return entries;
    const TRollMap map = MapRoll(tree);
    const std::vector<TPlacedBlock> blocks = PlaceCreditBlocks(map);
    int number = 0;
    for (const TCredit &credit : ExtractCredits(*projectNode)) {
        TCreditPlace place{credit.SectionTitle, ++number, NodePath(*credit.Node), 0, {}, credit.Node, 0, SheetPlace(credit, false), 0, credit.Row};
        const TPlacedBlock *block = credit.Row > 0 ? FindPlacedBlock(blocks, credit.Node) : nullptr;
        if (block != nullptr) {
            place.RollY = block->RollY(credit.Row);
            place.RollBottom = block->RollBottom(credit.Row);
            place.Frame = map.FrameEntering(place.RollY);
        } else if (const TPlacedNode *placed = map.Find(credit.Node)) {
            place.Frame = map.FrameEntering(placed->ContentTop);
            place.RollY = placed->ContentTop;
        }
        place.Timecode = FormatTimecode(place.Frame, map.FrameRate);
        if (credit.Kind == TCreditKind::Role || credit.Kind == TCreditKind::Names) {
            for (const QString &name : credit.Names)
                entries.push_back({credit.Kind, credit.Role, name, place});
        } else {
            // A heading belongs to the section it opens, not the one before.
            entries.push_back({credit.Kind, {}, credit.Text, place});
        }
    }
    return entries;
}

std::vector<TCreditChange> DiffCredits(const std::vector<TCreditEntry> &oldEntries, const std::vector<TCreditEntry> &newEntries)
{
    std::vector<TCreditChange> changes;
    // A renamed heading keeps its section: what stood under it has not moved. Headings absent
    // from the other version are paired by their rank among the headings.
    std::vector<const TCreditEntry *> oldHeadings;
    std::vector<const TCreditEntry *> newHeadings;
    for (const TCreditEntry &entry : oldEntries)
        if (entry.Kind == TCreditKind::Heading)
            oldHeadings.push_back(&entry);
    for (const TCreditEntry &entry : newEntries)
        if (entry.Kind == TCreditKind::Heading)
            newHeadings.push_back(&entry);
    std::map<QString, QString> renamed;
    for (std::size_t i = 0; i < std::min(oldHeadings.size(), newHeadings.size()); ++i) {
        const QString &was = oldHeadings[i]->Value;
        const QString &is = newHeadings[i]->Value;
        const auto named = [](const std::vector<const TCreditEntry *> &list, const QString &text) {
            return std::any_of(list.begin(), list.end(), [&](const TCreditEntry *e) { return e->Value == text; });
        };
        if (was != is && !named(newHeadings, was) && !named(oldHeadings, is) && !renamed.count(was)) {
            renamed.emplace(was, is);
            changes.push_back({TChangeKind::TextChanged, *oldHeadings[i], *newHeadings[i]});
        }
    }
    std::vector<TCreditEntry> mapped;
    mapped.reserve(oldEntries.size());
    for (const TCreditEntry &entry : oldEntries) {
        if (entry.Kind == TCreditKind::Heading && renamed.count(entry.Value))
            continue;
        mapped.push_back(entry);
        if (const auto found = renamed.find(entry.Place.Section); found != renamed.end())
            mapped.back().Place.Section = found->second;
    }
    std::vector<const TCreditEntry *> olds;
    std::vector<const TCreditEntry *> news;
    for (const TCreditEntry &entry : mapped)
        olds.push_back(&entry);
    for (const TCreditEntry &entry : newEntries)
        if (entry.Kind != TCreditKind::Heading || std::none_of(renamed.begin(), renamed.end(), [&](const auto &r) {
                return r.second == entry.Value;
            }))
            news.push_back(&entry);
    const auto kind = [](const TCreditEntry &e) { return int(e.Kind); };
    // The same credit in the same section: unchanged.
    Pair(olds, news, [&](const TCreditEntry &e) { return TKey{kind(e), e.Place.Section, e.Role, e.Value}; }, std::nullopt, changes);
    // The same credit under another heading: moved.
    Pair(olds, news, [&](const TCreditEntry &e) { return TKey{kind(e), {}, e.Role, e.Value}; }, TChangeKind::Moved, changes);
    const auto credited = [&](const TCreditEntry &e) -> std::optional<TKey> {
        if (e.Kind != TCreditKind::Role)
            return std::nullopt;
        return TKey{kind(e), e.Place.Section, {}, e.Value};
    };
    // One person, one section, another role.
    Pair(olds, news, credited, TChangeKind::RoleChanged, changes);
    // One role, one section, another name.
    Pair(olds, news, [&](const TCreditEntry &e) -> std::optional<TKey> {
        if (e.Kind != TCreditKind::Role && e.Kind != TCreditKind::Names)
            return std::nullopt;
        return TKey{kind(e), e.Place.Section, e.Role, {}};
    }, TChangeKind::NameChanged, changes);
    // Headings and paragraphs reworded in place.
    Pair(olds, news, [&](const TCreditEntry &e) -> std::optional<TKey> {
        if (e.Kind != TCreditKind::Text)
            return std::nullopt;
        return TKey{kind(e), e.Place.Section, {}, {}};
    }, TChangeKind::TextChanged, changes);
    for (const TCreditEntry *entry : olds)
        if (entry != nullptr)
            changes.push_back({TChangeKind::Removed, *entry, std::nullopt});
    for (const TCreditEntry *entry : news)
        if (entry != nullptr)
            changes.push_back({TChangeKind::Added, std::nullopt, *entry});
    // The old places name the headings the old version had.
    for (TCreditChange &change : changes)
        if (change.Old)
            for (const auto &[was, is] : renamed)
                if (change.Old->Place.Section == is && change.Kind != TChangeKind::TextChanged)
                    change.Old->Place.Section = was;
    std::stable_sort(changes.begin(), changes.end(),
                     [](const TCreditChange &a, const TCreditChange &b) { return Order(a) < Order(b); });
    return changes;
}

std::vector<TProofMark> ProofMarksFor(const std::vector<TCreditChange> &changes, const std::vector<TCreditEntry> &newEntries)
{
    // Where a credit of the old version stood in the new roll: before the credit now holding
    // its old rank.
    const auto oldPlaceY = [&newEntries](const TCreditEntry &old) {
        const auto next = std::find_if(newEntries.begin(), newEntries.end(), [&](const TCreditEntry &e) {
            return e.Place.Number >= old.Place.Number;
        });
        return next != newEntries.end() ? next->Place.RollY : newEntries.empty() ? 0 : newEntries.back().Place.RollY;
    };
    std::vector<TProofMark> marks;
    for (const TCreditChange &change : changes) {
        if (change.New) {
            QString note;
            TProofMarkKind kind = TProofMarkKind::Changed;
            switch (change.Kind) {
            case TChangeKind::NameChanged: note = QStringLiteral("was \"%1\"").arg(change.Old->Value); break;
            case TChangeKind::RoleChanged: note = QStringLiteral("role was %1").arg(change.Old->Role); break;
            case TChangeKind::TextChanged: note = QStringLiteral("was \"%1\"").arg(change.Old->Value); break;
            case TChangeKind::Moved:
                kind = TProofMarkKind::Moved;
                note = QStringLiteral("moved here from %1").arg(change.Old->Place.Section);
                break;
            default:
                kind = TProofMarkKind::Added;
                note = QStringLiteral("\"%1\"").arg(change.New->Value);
                break;
            }
            const TCreditPlace &place = change.New->Place;
            marks.push_back({place.Node, place.RollY, note, place.Row.isEmpty() ? 0 : place.RollBottom, kind});
            // A move is marked where the credit was too, so that both places are checked.
            if (change.Kind == TChangeKind::Moved)
                marks.push_back({nullptr, oldPlaceY(*change.Old),
                                 QStringLiteral("\"%1\" moved to %2").arg(change.Old->Value, change.New->Place.Section), 0,
                                 TProofMarkKind::MovedAway});
            continue;
        }
        marks.push_back({nullptr, oldPlaceY(*change.Old),
                         change.Old->Role.isEmpty() ? change.Old->Value : QStringLiteral("%1 (%2)").arg(change.Old->Value, change.Old->Role),
                         0, TProofMarkKind::Removed});
    }
    return marks;
}

const char *ChangeKindName(TChangeKind kind)
{
    switch (kind) {
    case TChangeKind::Added: return "added";
    case TChangeKind::Removed: return "removed";
    case TChangeKind::NameChanged: return "name-changed";
    case TChangeKind::RoleChanged: return "role-changed";
    case TChangeKind::TextChanged: return "text-changed";
    case TChangeKind::Moved: return "moved";
    }
    return "added";
}

QString DescribeChange(const TCreditChange &change)
{
    const TCreditEntry *old = change.Old ? &*change.Old : nullptr;
    const TCreditEntry *now = change.New ? &*change.New : nullptr;
    QString what;
    switch (change.Kind) {
    case TChangeKind::Added: what = QStringLiteral("added %1").arg(Credit(*now)); break;
    case TChangeKind::Removed: what = QStringLiteral("removed %1").arg(Credit(*old)); break;
    case TChangeKind::NameChanged:
        what = now->Role.isEmpty() ? QStringLiteral("name changed: \"%1\" -> \"%2\"").arg(old->Value, now->Value)
                                   : QStringLiteral("name changed as %1: \"%2\" -> \"%3\"").arg(now->Role, old->Value, now->Value);
        break;
    case TChangeKind::RoleChanged:
        what = QStringLiteral("role changed for \"%1\": %2 -> %3").arg(now->Value, old->Role, now->Role);
        break;
    case TChangeKind::TextChanged: what = QStringLiteral("text changed: \"%1\" -> \"%2\"").arg(old->Value, now->Value); break;
    case TChangeKind::Moved:
        what = QStringLiteral("moved %1 from \"%2\" to \"%3\"").arg(Credit(*now), old->Place.Section, now->Place.Section);
        break;
    }
    QStringList places;
    if (old != nullptr)
        places << QStringLiteral("old: %1").arg(Where(old->Place));
    if (now != nullptr)
        places << QStringLiteral("new: %1").arg(Where(now->Place));
    return QStringLiteral("%1 (%2)").arg(what, places.join(QStringLiteral("; ")));
}

} // namespace velmora
