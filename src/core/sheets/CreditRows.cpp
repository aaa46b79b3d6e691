#include "core/sheets/CreditRows.h"

#include "core/error.h"

#include <algorithm>
#include <limits>

namespace velmora {

namespace {

constexpr std::array<const char *, colCount> ColumnNames = {"Kind", "Role", "Name", "Text", "Style", "Columns", "Size", "Image", "Time",
                                                            "Transition"};
constexpr std::array<const char *, 9> KindNames = {"heading", "pair", "names", "text", "image", "gap", "card", "crawl", "logos"};

} // namespace

TCardTransitions TransitionCell(const TCreditRows &rows, const TCreditRow &row)
{
    const QString text = row[colTransition].trimmed();
    if (text.isEmpty())
        return {};
    const auto fail = [&](const QString &why) {
        FailCreditRow(rows.SheetName, row.Number, QStringLiteral("column Transition: %1").arg(why));
    };
    if (row.Kind != TCreditRowKind::Card)
        fail(QStringLiteral("\"%1\" is on %2 row; only a card row has transitions")
                 .arg(text, WithArticle(QLatin1String(KindNames[int(row.Kind)]))));
    const QStringList halves = text.split(QLatin1Char('/'));
    if (halves.size() > 2)
        fail(QStringLiteral("\"%1\" has more than two transitions; give one for both ends or IN / OUT").arg(text));
    TCardTransitions result;
    try {
        result.In = ParseTransition(halves.front());
        result.Out = halves.size() == 2 ? ParseTransition(halves.back()) : result.In;
    } catch (const EVelmoraError &e) {
        fail(e.message());
    }
    if (halves.size() == 2 && halves.front().trimmed().isEmpty())
        fail(QStringLiteral("\"%1\" has nothing before the \"/\"").arg(text));
    // One push given for both ends means leaving by it; a card can only be pushed out.
    if (halves.size() == 1 && result.In.Kind == TTransitionKind::Push)
        result.In = {};
    if (result.In.Kind == TTransitionKind::Push)
        fail(QStringLiteral("\"%1\": a card cannot enter by a push; a push leaves a card for the crawl after it").arg(text));
    return result;
}

const char *CreditColumnName(TCreditColumn column)
{
    return ColumnNames[column];
}

const char *CreditKindName(TCreditRowKind kind)
{
    return KindNames[int(kind)];
}

void FailCreditRow(const QString &sheetName, int row, const QString &what)
{
    throw EVelmoraError(QStringLiteral("%1:%2: %3").arg(sheetName).arg(row).arg(what));
}

QStringList PictureCells(const TCreditRow &row)
{
    QStringList files;
    if (row.Kind == TCreditRowKind::Image && !row[colImage].trimmed().isEmpty())
        files << row[colImage].trimmed();
    if (row.Kind == TCreditRowKind::Logos)
        for (const QString &name : row[colImage].split(QLatin1Char(';')))
            if (!name.trimmed().isEmpty())
                files << name.trimmed();
    return files;
}

QString SheetColumnLetter(int index)
{
    QString letters;
    for (int n = index + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

QString CreditColumnLetter(const TCreditRows &rows, TCreditColumn column)
{
    const int index = rows.ColumnIndex[column];
    return index < 0 ? QString() : SheetColumnLetter(index);
}

QString WithArticle(const QString &word)
{
    const QChar first = word.isEmpty() ? QChar() : word.front().toLower();
    const bool vowel = QStringLiteral("aeiou").contains(first);
    return (vowel ? QStringLiteral("an ") : QStringLiteral("a ")) + word;
}

const QString &RequiredCell(const TCreditRows &rows, const TCreditRow &row, TCreditColumn column)
{
    if (row[column].trimmed().isEmpty())
        FailCreditRow(rows.SheetName, row.Number, QStringLiteral("%1 row needs %2")
                                                      .arg(WithArticle(QLatin1String(KindNames[int(row.Kind)])),
                                                           WithArticle(QLatin1String(ColumnNames[column]))));
    return row[column];
}

int WholeNumberCell(const TCreditRows &rows, const TCreditRow &row, TCreditColumn column, int fallback, int minimum, int maximum)
{
    const QString text = row[column].trimmed();
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || value != double(qint64(value)) || value < minimum || value > maximum)
        FailCreditRow(rows.SheetName, row.Number, QStringLiteral("column %1: \"%2\" is not a whole number from %3 to %4")
                                                      .arg(QLatin1String(ColumnNames[column]), text)
                                                      .arg(minimum)
                                                      .arg(maximum));
    return int(value);
}

namespace {

// The Time cell's SS, MM:SS, HH:MM:SS or HH:MM:SS:FF in frames at frameRate.
qint64 TimeCellFrames(const TCreditRows &rows, const TCreditRow &row, int frameRate)
{
    const QString text = row[colTime].trimmed();
    const auto fail = [&](const QString &why) {
        FailCreditRow(rows.SheetName, row.Number, QStringLiteral("column Time: \"%1\" %2").arg(text, why));
    };
    const QStringList fields = text.split(QLatin1Char(':'));
    if (fields.size() > 4)
        fail(QStringLiteral("is not SS, MM:SS, HH:MM:SS or HH:MM:SS:FF"));
    std::array<qint64, 4> value{};  // hours, minutes, seconds, frames
    // Fields fill from the seconds leftwards; a fourth one is the frames.
    const int first = fields.size() == 4 ? 0 : 3 - int(fields.size());
    for (int i = 0; i < fields.size(); ++i) {
        bool ok = false;
        const qint64 number = fields[i].size() <= 6 ? fields[i].toLongLong(&ok) : -1;
        if (!ok || number < 0 || fields[i].contains(QLatin1Char('+')) || fields[i].contains(QLatin1Char(' ')))
            fail(QStringLiteral("is not SS, MM:SS, HH:MM:SS or HH:MM:SS:FF"));
        value[std::size_t(first + i)] = number;
    }
    // The leading field may run over (90 seconds, 75 minutes); the others may not.
    if ((first < 1 && value[1] > 59) || (first < 2 && value[2] > 59))
        fail(QStringLiteral("has more than 59 minutes or seconds"));
    if (value[3] >= frameRate)
        fail(QStringLiteral("has %1 frames, but a second holds %2").arg(value[3]).arg(frameRate));
    const qint64 frames = ((value[0] * 60 + value[1]) * 60 + value[2]) * frameRate + value[3];
    if (frames <= 0)
        fail(QStringLiteral("is zero"));
    return frames;
}

} // namespace

qint64 SectionTimeCell(const TCreditRows &rows, const TCreditRow &row, int frameRate)
{
    const QString text = row[colTime].trimmed();
    if (text.isEmpty())
        return 0;
    if (row.Kind == TCreditRowKind::Card)
        return CardTimeCell(rows, row, frameRate);
    if (row.Kind != TCreditRowKind::Heading)
        FailCreditRow(rows.SheetName, row.Number,
                      QStringLiteral("column Time: \"%1\" is on %2 row; only a heading starts a timed section")
                          .arg(text, WithArticle(QLatin1String(KindNames[int(row.Kind)]))));
    return TimeCellFrames(rows, row, frameRate);
}

qint64 CardTimeCell(const TCreditRows &rows, const TCreditRow &row, int frameRate)
{
    const QString text = row[colTime].trimmed();
    if (text.isEmpty())
        return 0;
    if (text.contains(QLatin1Char(':')))
        return TimeCellFrames(rows, row, frameRate);
    // Seconds alone may carry a fraction: 3.5 seconds is a hold a timecode cannot write.
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !(seconds > 0.0) || seconds > 24.0 * 60 * 60 || text.contains(QLatin1Char('e'), Qt::CaseInsensitive))
        FailCreditRow(rows.SheetName, row.Number,
                      QStringLiteral("column Time: \"%1\" is not a hold in seconds (such as 4 or 3.5) or HH:MM:SS:FF").arg(text));
    if (frameRate == std::numeric_limits<int>::max())
        return 1;  // only its form is checked
    return std::max<qint64>(1, qint64(std::llround(seconds * frameRate)));
}

TCreditRows ReadCreditRows(const TSheet &sheet)
{
    TCreditRows result;
    result.SheetName = sheet.Name;
    if (sheet.Rows.empty())
        throw EVelmoraError(QStringLiteral("%1: the sheet is empty; it needs a header row with a Kind column").arg(sheet.Name));
    const TSheetRow &header = sheet.Rows.front();
    std::array<int, colCount> index = TCreditRows::AbsentColumns();
    std::vector<bool> named(std::size_t(header.Cells.size()), false);
    for (int i = 0; i < header.Cells.size(); ++i) {
        const QString title = header.Cells[i].trimmed();
        if (title.isEmpty())
            continue;
        named[std::size_t(i)] = true;
        int found = -1;
        for (int c = 0; c < colCount; ++c)
            if (title.compare(QLatin1String(ColumnNames[c]), Qt::CaseInsensitive) == 0)
                found = c;
        if (found < 0) {
            // Producers keep their own columns (Notes, Department, Status) in the same sheet.
            if (!result.IgnoredColumns.contains(title))
                result.IgnoredColumns.append(title);
            continue;
        }
        if (index[found] >= 0)
            FailCreditRow(sheet.Name, header.Number, QStringLiteral("the column \"%1\" appears twice").arg(title));
        index[found] = i;
    }
    if (index[colKind] < 0)
        FailCreditRow(sheet.Name, header.Number, QStringLiteral("the header row has no Kind column"));
    result.ColumnIndex = index;

    result.Rows.reserve(sheet.Rows.size());
    const TCreditRow *lastPair = nullptr;
    for (std::size_t r = 1; r < sheet.Rows.size(); ++r) {
        const TSheetRow &source = sheet.Rows[r];
        TCreditRow row;
        row.Number = source.Number;
        for (int c = 0; c < colCount; ++c)
            if (index[c] >= 0 && index[c] < source.Cells.size())
                row.Cells[c] = source.Cells[index[c]];
        for (int i = 0; i < source.Cells.size(); ++i)
            if (!source.Cells[i].trimmed().isEmpty() && (std::size_t(i) >= named.size() || !named[std::size_t(i)]))
                FailCreditRow(sheet.Name, row.Number, QStringLiteral("a value in column %1, which has no name in the header").arg(i + 1));
        const QString kind = row[colKind].trimmed().toLower();
        const auto known = std::find_if(KindNames.begin(), KindNames.end(), [&](const char *name) { return kind == QLatin1String(name); });
        if (known == KindNames.end())
            FailCreditRow(sheet.Name, row.Number,
                          kind.isEmpty() ? QStringLiteral("no Kind") : QStringLiteral("unknown Kind \"%1\"").arg(row[colKind].trimmed()));
        row.Kind = TCreditRowKind(known - KindNames.begin());
        // Its form now; its frames against the project's rate when the roll is fitted.
        SectionTimeCell(result, row, std::numeric_limits<int>::max());
        TransitionCell(result, row);
        // Another name for the role above: the sheet leaves the Role cell empty.
        if (row.Kind == TCreditRowKind::Pair && row[colRole].trimmed().isEmpty() && lastPair != nullptr) {
            row.Cells[colRole] = (*lastPair)[colRole];
            row.Continued = true;
        }
        result.Rows.push_back(std::move(row));
        lastPair = result.Rows.back().Kind == TCreditRowKind::Pair ? &result.Rows.back() : nullptr;
    }
    return result;
}

} // namespace velmora
