#include "core/signoff/DeliveredText.h"

#include "core/document/ElementTree.h"
#include "core/error.h"
#include "core/signoff/BlockLayouts.h"
#include "core/signoff/CreditOcr.h"
#include "core/signoff/Credits.h"
#include "core/signoff/RollMap.h"

#include <cmath>

namespace velmora {

namespace {

QString ExpectedText(const TCredit &credit)
{
    QStringList parts;
    if (!credit.Role.isEmpty())
        parts.append(credit.Role);
    parts.append(credit.Names);
    if (!credit.Text.isEmpty())
        parts.append(credit.Text);
    return VisibleLine(parts.join(QLatin1Char(' ')).simplified());
}

} // namespace

TCreditTextCheck::TCreditTextCheck(const TElementTree &tree, const TRollMap &map, const TQcOptions &options)
    : m_map(map), m_options(options)
{
    if (!options.ReadText || tree.ProjectNode() == nullptr)
        return;
    // English is always needed: without it nothing can be checked.
    m_readers.emplace(QStringLiteral("eng"), std::make_unique<TCreditReader>());
    const std::vector<TPlacedBlock> blocks = PlaceCreditBlocks(map);
    const qint64 lastFrame = std::max<qint64>(0, map.FrameCount() - 1);
    for (const TCredit &credit : ExtractCredits(*tree.ProjectNode())) {
        const QString expected = ExpectedText(credit);
        if (expected.isEmpty())
            continue;
        const QString language = OcrLanguageFor(expected);
        if (ReaderFor(language) == nullptr) {
            ++m_unread;
            continue;
        }
        TTarget target{SheetPlace(credit, false), language, expected, {}, 0, 0};
        if (!credit.Role.isEmpty())
            target.Parts.append(credit.Role);
        for (const QString &name : credit.Names)
            target.Parts.append(VisibleLine(name).simplified());
        if (!credit.Text.isEmpty())
            target.Parts.append(VisibleLine(credit.Text).simplified());
        target.Parts.removeAll(QString());
        if (const TPlacedBlock *block = credit.Row > 0 ? FindPlacedBlock(blocks, credit.Node) : nullptr) {
            target.Top = block->RollY(credit.Row);
            target.Bottom = block->RollBottom(credit.Row);
        } else if (const TPlacedNode *placed = map.Find(credit.Node)) {
            target.Place = NodePath(*credit.Node);
            target.Top = placed->ContentTop;
            target.Bottom = placed->Bottom;
        }
        if (target.Bottom <= target.Top || target.Bottom - target.Top > map.FilmHeight * 3 / 4)
            continue;
        // At position p roll y stands at film y (height - p + y): mid-screen when p is half the
        // film's height plus the credit's middle.
        const double position = map.FilmHeight / 2.0 + (target.Top + target.Bottom) / 2.0;
        m_due.emplace(std::clamp<qint64>(std::llround(position / map.ScrollRate), 0, lastFrame), target);
    }
}

TCreditTextCheck::~TCreditTextCheck() = default;

TCreditReader *TCreditTextCheck::ReaderFor(const QString &language)
{
    if (language.isEmpty())
        return nullptr;
    auto found = m_readers.find(language);
    if (found == m_readers.end()) {
        std::unique_ptr<TCreditReader> reader;
        try {
            reader = std::make_unique<TCreditReader>(language);
        } catch (const EVelmoraError &) {
            const QString package = OcrPackageFor(language.section(QLatin1Char('+'), -1));
            if (!m_missing.contains(package))
                m_missing.append(package);
        }
        found = m_readers.emplace(language, std::move(reader)).first;
    }
    return found->second.get();
}

void TCreditTextCheck::Visit(qint64 frame, const TLumaFrame &luma, TQcReport &report,
                             const std::function<QString(qint64)> &timecodeOf)
{
    const auto [begin, end] = m_due.equal_range(frame);
    const double scale = double(luma.Height) / m_map.FilmHeight;
    const qint64 position = frame * m_map.ScrollRate;
    for (auto due = begin; due != end; ++due) {
        const TTarget &target = due->second;
        // A little room above and below: a frame dropped or added earlier moves the credit.
        const double pad = 0.35 * (target.Bottom - target.Top) + 4.0;
        const double top = (m_map.FilmHeight - position + target.Top - pad) * scale;
        const double bottom = (m_map.FilmHeight - position + target.Bottom + pad) * scale;
        const QString read = m_readers.at(target.Language)->Read(luma, int(std::floor(top)), int(std::ceil(bottom)));
        // Each part on its own: names flowed into columns are read across the columns.
        double distance = 0.0;
        QStringList unlike;
        for (const QString &part : target.Parts) {
            const double partDistance = ReadingDistance(part, read);
            distance = std::max(distance, partDistance);
            if (partDistance > m_options.MaxDistance)
                unlike.append(part);
        }
        report.Readings.push_back({target.Place, frame, target.Expected, read, distance});
        if (!unlike.isEmpty()) {
            const QString wanted = unlike.size() == target.Parts.size() ? target.Expected : unlike.join(QStringLiteral(", "));
            TQcFinding finding{QStringLiteral("text"), true,
                               read.isEmpty() ? QStringLiteral("\"%1\" is not on screen").arg(wanted)
                                              : QStringLiteral("\"%1\" is not found where it should be; it reads \"%2\"").arg(wanted, read),
                               frame, timecodeOf(frame), target.Place, {}};
            report.Findings.push_back(std::move(finding));
        }
    }
}

} // namespace velmora
