#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace velmora {

class TElementNode;

// What a piece of the roll credits, as a reader of the roll sees it.
enum class TCreditKind { Heading, Role, Names, Text };

// One credit: a heading, a role with its names, a list of names or a paragraph of text.
struct TCredit
{
    TCreditKind Kind = TCreditKind::Text;
    QString Role;       // Role credits only
    QStringList Names;  // Role and Names credits
    QString Text;       // Heading and Text credits
    const TElementNode *Node = nullptr;
    int Section = 0;      // counts the headings above it
    QString SectionTitle; // the heading above it, empty before the first heading
    // A row of a credit block (Node is then the block): the sheet by its name, the row as the
    // spreadsheet numbers it (0 for other credits) and the letter of its names' or words' column.
    QString Sheet;
    int Row = 0;
    QString Column;
};

// A credit's row in its sheet: "feature.csv:569", with the column "feature.csv:569:C"; empty
// for a credit that is not a sheet row.
QString SheetPlace(const TCredit &credit, bool withColumn = true);

// The credits of the roll under projectNode in roll order. Each row of a credit block is one
// credit by its Kind (a continued pair carries its role). A column set of two single texts is a
// role beside its names, other column sets are lists of names; a text on its own is a heading
// when it is one bold or capital line, a list of names when every line is short, else text.
std::vector<TCredit> ExtractCredits(const TElementNode &projectNode);

// The text of a text element's node; empty for other elements.
QString TextOf(const TElementNode &node);

// A line as a reader sees it: the spacing that pads columns (thin spaces, word joiners) removed.
QString VisibleLine(const QString &line);

// The visible lines of a text element's text, empty ones left out.
QStringList VisibleLines(const QString &text);

// The form two names share when they differ only in accents, case, spacing or punctuation.
QString NameKey(const QString &name);

const char *CreditKindName(TCreditKind kind);

} // namespace velmora
