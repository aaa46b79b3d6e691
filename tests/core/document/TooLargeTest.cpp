// A project too large for its file format says so when it is saved, instead of failing as a
// write error part way. The bytes go to a device that keeps none of them, so the real writer
// runs over more than 2 GB without a disk or memory to hold them.
#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/document/Document.h"
#include "core/document/ElementTree.h"
#include "core/typedfiler/TypedFilerError.h"

#include <QIODevice>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

// Takes every byte and keeps none; seekable, so chunk sizes can be filled in as on a file.
class TDiscardingDevice final : public QIODevice
{
public:
    TDiscardingDevice() { open(QIODevice::WriteOnly); }
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_size; }
    qint64 Written() const { return m_written; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 length) override
    {
        m_written += length;
        m_size = std::max(m_size, pos() + length);
        return length;
    }

private:
    qint64 m_size = 0;
    qint64 m_written = 0;
};

TEST(TooLarge, ProjectOverItsFormatSaysSo)
{
    // 1,100 rows share one cell of a million characters: 2.2 GB to write, 2 MB to hold. The
    // cell is in a column the block ignores, so nothing lays it out; it is saved all the same.
    const QString notes(1'000'000, QLatin1Char('x'));
    TCreditSource source;
    source.SheetPath = QStringLiteral("credits.csv");
    source.Sheet.Name = source.SheetPath;
    source.Sheet.Rows.push_back({1, {QStringLiteral("Kind"), QStringLiteral("Text"), QStringLiteral("Notes")}});
    for (int row = 2; row <= 1101; ++row)
        source.Sheet.Rows.push_back({row, {QStringLiteral("text"), QStringLiteral("Row %1").arg(row), notes}});
    TDocument document;
    document.Tree().InsertChild(*document.ProjectNode(), 0, CreditBlockNode(std::move(source)));

    TDiscardingDevice device;
    try {
        document.SaveProjectFile(device);
        FAIL() << "saved " << device.size() << " bytes";
    } catch (const EVelmoraError &error) {
        EXPECT_EQ(error.message(), QString::fromLatin1(TypedFilerMessages::TooLarge));
    }
    // The writer went past what a chunk can hold before refusing; it did not stop early.
    EXPECT_GT(device.Written(), qint64(INT32_MAX));
}

} // namespace
