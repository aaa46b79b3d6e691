// Card and crawl rows in a sheet: how they cut it into segments, and the errors bad ones get.
#include "core/credits/CreditSource.h"
#include "core/credits/CreditSegments.h"
#include "core/error.h"

#include "support/SheetFiles.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using test::TTable;

QString ReadProblem(const QString &path)
{
    try {
        TVmElementCreditBlock block(ReadCopiedCreditSource(path, QString(), QString()));
    } catch (const EVelmoraError &error) {
        return error.message();
    }
    return QString();
}

TEST(CardSheet, BadCardRowsNameTheSheetRowAndColumn)
{
    QTemporaryDir dir;
    const TTable header{{"Kind", "Text", "Time", "Transition"}};
    const struct
    {
        TTable Rows;
        const char *Expected;
    } cases[] = {
        {{{"card", "", "", "wipe 12"}, {"text", "A", "", ""}},
         "credits.csv:2: column Transition: \"wipe 12\" is not a transition; a transition is cut, fade N, dissolve N or push"},
        {{{"card", "", "", "fade"}, {"text", "A", "", ""}}, "credits.csv:2: column Transition: \"fade\" needs its length in frames"},
        {{{"card", "", "", "fade 0"}, {"text", "A", "", ""}},
         "credits.csv:2: column Transition: \"fade 0\" has a length that is not a whole number of frames from 1 to 1000"},
        {{{"card", "", "", "dissolve 2.5"}, {"text", "A", "", ""}},
         "credits.csv:2: column Transition: \"dissolve 2.5\" has a length that is not"},
        {{{"card", "", "", "cut 4"}, {"text", "A", "", ""}}, "credits.csv:2: column Transition: \"cut 4\" takes no frames"},
        {{{"card", "", "", "fade 4 / cut / fade 2"}, {"text", "A", "", ""}},
         "credits.csv:2: column Transition: \"fade 4 / cut / fade 2\" has more than two transitions"},
        {{{"card", "", "", "push / fade 4"}, {"text", "A", "", ""}}, "credits.csv:2: column Transition: \"push / fade 4\": a card cannot enter by a push"},
        {{{"card", "", "", "push"}, {"text", "A", "", ""}},
         "credits.csv:2: column Transition: a push leaves a card for a crawl, but no crawl follows this card"},
        {{{"card", "", "", "push"}, {"text", "A", "", ""}, {"card", "", "", ""}, {"text", "B", "", ""}},
         "credits.csv:2: column Transition: a push leaves a card for a crawl, but no crawl follows this card"},
        {{{"text", "A", "", "fade 12"}}, "credits.csv:2: column Transition: \"fade 12\" is on a text row; only a card row has transitions"},
        {{{"crawl", "", "", "fade 12"}, {"text", "A", "", ""}}, "credits.csv:2: column Transition: \"fade 12\" is on a crawl row"},
        {{{"card", "", "ten", ""}, {"text", "A", "", ""}},
         "credits.csv:2: column Time: \"ten\" is not a hold in seconds (such as 4 or 3.5) or HH:MM:SS:FF"},
        {{{"card", "", "-2", ""}, {"text", "A", "", ""}}, "credits.csv:2: column Time: \"-2\" is not a hold in seconds"},
        {{{"card", "", "00:00:61", ""}, {"text", "A", "", ""}}, "credits.csv:2: column Time: \"00:00:61\" has more than 59 minutes or seconds"},
        {{{"crawl", "", "4", ""}, {"text", "A", "", ""}}, "credits.csv:2: column Time: \"4\" is on a crawl row"},
        {{{"text", "A", "", ""}, {"card", "", "", ""}}, "credits.csv:3: a card row needs rows after it to show"},
        {{{"card", "", "", ""}, {"crawl", "", "", ""}, {"text", "A", "", ""}}, "credits.csv:2: a card row needs rows after it to show"},
    };
    for (const auto &c : cases) {
        TTable table = header;
        table.insert(table.end(), c.Rows.begin(), c.Rows.end());
        const QString path = dir.filePath("credits.csv");
        test::WriteSheet(path, table);
        const QString message = ReadProblem(path);
        EXPECT_TRUE(message.startsWith(QLatin1String(c.Expected))) << message.toStdString() << "\n / " << c.Expected;
    }
}

TEST(CardSheet, CardAndCrawlRowsCutTheSheetIntoSegments)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("credits.csv");
    test::WriteSheet(path, {{"Kind", "Role", "Name", "Text", "Time", "Transition"},
                            {"card", "", "", "", "4", "fade 12"},
                            {"text", "", "", "Directed by", "", ""},
                            {"names", "", "Ada Achterberg", "", "", ""},
                            {"card", "", "", "", "", "dissolve 24 / push"},
                            {"pair", "Editor", "Bram Belmonte", "", "", ""},
                            {"pair", "", "Cleo Castellan", "", "", ""},
                            {"crawl", "", "", "", "", ""},
                            {"heading", "", "", "CAMERA", "", ""},
                            {"card", "", "", "", "00:00:02:12", ""},
                            {"text", "", "", "Northlight", "", ""}});
    const TVmElementCreditBlock block(ReadCopiedCreditSource(path, QString(), QString()));
    const auto &segments = block.Segments();
    ASSERT_EQ(segments.size(), 4u);
    EXPECT_TRUE(segments[0].Card);
    EXPECT_EQ(segments[0].Start.Number, 2);
    EXPECT_EQ(segments[0].Rows.Rows.size(), 2u);
    EXPECT_EQ(segments[0].Transitions.In, (TTransition{TTransitionKind::Fade, 12}));
    EXPECT_EQ(segments[0].Transitions.Out, (TTransition{TTransitionKind::Fade, 12}));
    EXPECT_EQ(segments[1].Transitions.In, (TTransition{TTransitionKind::Dissolve, 24}));
    EXPECT_EQ(segments[1].Transitions.Out, (TTransition{TTransitionKind::Push, 0}));
    // A continued pair reads its name only: the role is on the card once.
    EXPECT_EQ(ReadingCharacters(segments[1].Rows), int(QStringLiteral("EditorBram BelmonteCleo Castellan").size()));
    EXPECT_FALSE(segments[2].Card);
    EXPECT_EQ(segments[2].Rows.Rows.size(), 1u);
    EXPECT_EQ(CardTimeCell(block.Rows(), segments[0].Start, 24), 96);
    EXPECT_EQ(CardTimeCell(block.Rows(), segments[3].Start, 24), 60);

    // Without card rows a sheet is one crawl, laid out as a whole, crawl rows or not.
    test::WriteSheet(path, {{"Kind", "Text"}, {"text", "A"}, {"crawl", ""}, {"text", "B"}});
    const TVmElementCreditBlock crawl(ReadCopiedCreditSource(path, QString(), QString()));
    EXPECT_TRUE(crawl.Segments().empty());
}

// The holds a fit chose for a sheet's cards are kept by the project; without them the block's
// record stays as it was.
TEST(CardSheet, FittedHoldsRoundTripInTheBlock)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("credits.csv");
    test::WriteSheet(path, {{"Kind", "Text"}, {"card", ""}, {"text", "A"}, {"card", ""}, {"text", "B"}});
    TVmElementCreditBlock block(ReadCopiedCreditSource(path, QString(), QString()));
    QBuffer plain;
    plain.open(QIODevice::ReadWrite);
    block.SaveToStream(plain);
    block.SetCardHolds({0, 75});
    QBuffer fitted;
    fitted.open(QIODevice::ReadWrite);
    block.SaveToStream(fitted);
    EXPECT_NE(fitted.data(), plain.data());
    fitted.seek(0);
    TVmElementCreditBlock read;
    read.LoadFromStream(fitted);
    EXPECT_EQ(read.CardHolds(), (std::vector<qint32>{0, 75}));
    EXPECT_EQ(read.Segments().size(), 2u);
    block.SetCardHolds({});
    QBuffer again;
    again.open(QIODevice::ReadWrite);
    block.SaveToStream(again);
    EXPECT_EQ(again.data(), plain.data());
}

TEST(CardSheet, TransitionTextReadsBack)
{
    for (const char *text : {"cut", "fade 12", "dissolve 24", "push"})
        EXPECT_EQ(TransitionText(ParseTransition(QString::fromLatin1(text))), QString::fromLatin1(text));
    EXPECT_EQ(ParseTransition(QStringLiteral("  Fade   7 ")), (TTransition{TTransitionKind::Fade, 7}));
    EXPECT_EQ(ParseTransition(QString()), TTransition{});
}

} // namespace
} // namespace velmora
