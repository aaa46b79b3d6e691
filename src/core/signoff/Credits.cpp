#include "core/signoff/Credits.h"

#include "core/credits/ElementCreditBlock.h"
#include "core/document/ElementTree.h"
#include "core/elements/Interfaces.h"
#include "core/typedfiler/CodePage.h"

#include <QRegularExpression>

namespace velmora {

namespace {

const TElementNode *SingleText(const TElementNode &column)
{
    const TElementNode *found = nullptr;
    for (const auto &child : column.Children()) {
        if (queryInterface<IElementText>(child->Element()) == nullptr || found != nullptr)
            return nullptr;
        found = child.get();
    }
    return found;
}

QStringList LinesOf(const TElementNode &node)
{
    return VisibleLines(TextOf(node));
}

void CollectTexts(const TElementNode &node, QStringList &lines)
{
    if (queryInterface<IElementText>(node.Element()) != nullptr)
        lines += LinesOf(node);
    for (const auto &child : node.Children())
        CollectTexts(*child, lines);
}

bool IsHeadingLike(const TElementNode &node, const QStringList &lines)
{
    if (lines.size() != 1)
        return false;
    QByteArray fontName;
    if (const auto *font = queryInterface<IGDIPFont>(node.Element()))
        font->GetFontName(fontName);
    const QString line = lines.first();
    return FromSystemCodePage(fontName).contains(QLatin1String("bold"), Qt::CaseInsensitive)
        || (line == line.toUpper() && line != line.toLower());
}

class TExtractor
{
public:
    std::vector<TCredit> Credits;

    void Walk(const TElementNode &node)
    {
        const TNodeFacets &facets = node.Facets();
        if (facets.ColumnSet) {
            AddColumns(node);
            return;
        }
        if (queryInterface<IElementText>(node.Element()) != nullptr) {
            AddText(node);
            return;
        }
        if (const auto *block = queryInterface<TVmElementCreditBlock>(node.Element())) {
            AddRows(node, block->Rows());
            return;
        }
        for (const auto &child : node.Children())
            Walk(*child);
    }

private:
    TCredit Make(TCreditKind kind, const TElementNode &node) const
    {
        TCredit credit;
        credit.Kind = kind;
        credit.Node = &node;
        credit.Section = m_section;
        credit.SectionTitle = m_title;
        return credit;
    }

    void AddColumns(const TElementNode &node)
    {
        if (node.ChildCount() == 2) {
            const TElementNode *role = SingleText(*node.Child(0));
            const TElementNode *names = SingleText(*node.Child(1));
            if (role != nullptr && names != nullptr && !LinesOf(*role).isEmpty() && !LinesOf(*names).isEmpty()) {
                TCredit credit = Make(TCreditKind::Role, node);
                credit.Role = LinesOf(*role).join(QLatin1Char(' '));
                credit.Names = LinesOf(*names);
                Credits.push_back(std::move(credit));
                return;
            }
        }
        TCredit credit = Make(TCreditKind::Names, node);
        CollectTexts(node, credit.Names);
        if (!credit.Names.isEmpty())
            Credits.push_back(std::move(credit));
    }

    void OpenSection(const QString &title)
    {
        ++m_section;
        m_title = title;
    }

    void AddRows(const TElementNode &node, const TCreditRows &rows)
    {
        for (const TCreditRow &row : rows.Rows) {
            TCredit credit;
            switch (row.Kind) {
            case TCreditRowKind::Heading:
                OpenSection(VisibleLines(row[colText]).join(QLatin1Char(' ')));
                credit = Make(TCreditKind::Heading, node);
                credit.Text = m_title;
                break;
            case TCreditRowKind::Pair:
                credit = Make(TCreditKind::Role, node);
                credit.Role = VisibleLines(row[colRole]).join(QLatin1Char(' '));
                credit.Names = VisibleLines(row[colName]);
                break;
            case TCreditRowKind::Names:
                credit = Make(TCreditKind::Names, node);
                credit.Names = VisibleLines(row[colName]);
                break;
            case TCreditRowKind::Text:
                credit = Make(TCreditKind::Text, node);
                credit.Text = VisibleLines(row[colText]).join(QLatin1Char(' '));
                break;
            case TCreditRowKind::Image:
            case TCreditRowKind::Logos:
            case TCreditRowKind::Gap:
            case TCreditRowKind::Card:
            case TCreditRowKind::Crawl:
                continue;
            }
            if (credit.Text.isEmpty() && credit.Names.isEmpty())
                continue;
            const bool words = row.Kind == TCreditRowKind::Heading || row.Kind == TCreditRowKind::Text;
            credit.Sheet = rows.SheetName;
            credit.Row = row.Number;
            credit.Column = CreditColumnLetter(rows, words ? colText : colName);
            Credits.push_back(std::move(credit));
        }
    }

    void AddText(const TElementNode &node)
    {
        const QStringList lines = LinesOf(node);
        if (lines.isEmpty())
            return;
        if (IsHeadingLike(node, lines)) {
            OpenSection(lines.first());
            TCredit credit = Make(TCreditKind::Heading, node);
            credit.Text = m_title;
            Credits.push_back(std::move(credit));
            return;
        }
        // Names are short; sentences are long or end like one.
        const bool names = std::all_of(lines.begin(), lines.end(), [](const QString &line) {
            return line.split(QLatin1Char(' '), Qt::SkipEmptyParts).size() <= 5 && !line.endsWith(QLatin1Char('.'));
        });
        TCredit credit = Make(names ? TCreditKind::Names : TCreditKind::Text, node);
        if (names)
            credit.Names = lines;
        else
            credit.Text = lines.join(QLatin1Char(' '));
        Credits.push_back(std::move(credit));
    }

    int m_section = 0;
    QString m_title;
};

} // namespace

std::vector<TCredit> ExtractCredits(const TElementNode &projectNode)
{
    TExtractor extractor;
    for (const auto &child : projectNode.Children())
        extractor.Walk(*child);
    return std::move(extractor.Credits);
}

QString SheetPlace(const TCredit &credit, bool withColumn)
{
    if (credit.Row <= 0)
        return {};
    const QString place = QStringLiteral("%1:%2").arg(credit.Sheet).arg(credit.Row);
    return withColumn && !credit.Column.isEmpty() ? place + QLatin1Char(':') + credit.Column : place;
}

QString TextOf(const TElementNode &node)
{
    QString text;
    if (const auto *element = queryInterface<IElementText>(node.Element()))
        element->GetText(text);
    return text;
}

QString VisibleLine(const QString &line)
{
    QString visible = line;
    visible.remove(QChar(0x2009)).remove(QChar(0x2060)).remove(QChar(0x200B));
    // Only the column padding goes; a user's own spaces are kept for the spacing check.
    return visible;
}

QStringList VisibleLines(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList lines;
    for (const QString &line : text.split(breaks)) {
        const QString visible = VisibleLine(line);
        if (!visible.trimmed().isEmpty())
            lines.append(visible.trimmed());
    }
    return lines;
}

QString NameKey(const QString &name)
{
    const QString decomposed = name.normalized(QString::NormalizationForm_KD);
    QString key;
    key.reserve(decomposed.size());
    for (const QChar c : decomposed)
        if (c.isLetterOrNumber())
            key.append(c);
    // Qt folds case one character at a time, which leaves ß apart from the SS it capitalises to.
    return key.toCaseFolded().replace(QChar(0x00DF), QLatin1String("ss"));
}

const char *CreditKindName(TCreditKind kind)
{
    switch (kind) {
    case TCreditKind::Heading: return "heading";
    case TCreditKind::Role: return "role";
    case TCreditKind::Names: return "names";
    case TCreditKind::Text: return "text";
    }
    return "text";
}

} // namespace velmora
