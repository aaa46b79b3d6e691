// How OCR readings are set beside credits: found inside a longer reading, blind to case,
// spacing, punctuation and the shapes a sans face shares, but not to a changed letter.
#include "core/signoff/CreditOcr.h"

#include <gtest/gtest.h>

namespace {

struct TReading
{
    const char *Credit;
    const char *Read;
    double Distance;
};

class ReadingDistanceTest : public ::testing::TestWithParam<TReading>
{
};

TEST_P(ReadingDistanceTest, MeasuresWhatMatters)
{
    EXPECT_NEAR(velmora::ReadingDistance(QString::fromUtf8(GetParam().Credit), QString::fromUtf8(GetParam().Read)),
                GetParam().Distance, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Readings, ReadingDistanceTest,
    ::testing::Values(TReading{"Ada Halloran", "Ada Halloran", 0.0},
                      TReading{"Ada Halloran", "Camera Operator ADA HALLORAN.", 0.0},   // inside, any case
                      TReading{"Role 0 Ivo Lind", "RoIe O lvo Lind", 0.0},              // O/0 and l/I/1 alike
                      TReading{"Role 5", "RoleS", 0.0},                                 // S/5 alike
                      TReading{"Zoë Smith", "Zoë  Smith", 0.0},
                      TReading{"Zoë Smith", "Zoe Smith", 1.0 / 8},                      // an accent lost counts
                      TReading{"Ada Halloran", "Ada Haloran", 1.0 / 11},
                      TReading{"Ada Halloran", "", 1.0},
                      TReading{"", "anything", 0.0}));

// Each credit is read with its script's data; text that mixes two scripts besides Latin, or
// is in a script with no data, is left unread rather than read wrongly.
TEST(OcrLanguage, FollowsTheCreditsScript)
{
    const std::pair<const char *, const char *> cases[] = {
        {"Ada Halloran", "eng"},          {"1234 – ()", "eng"},
        {"Director अमिताभ बच्चन", "eng+hin"}, {"محمد عبد الله", "eng+ara"},
        {"สมชาย ใจดี", "eng+tha"},          {"Иван Петров", "eng+rus"},
        {"田中太郎", "eng+chi_sim"},        {"たなか 田中", "eng+jpn"},
        {"田中 たなか", "eng+jpn"},         {"김민수", "eng+kor"},
        {"Иван אבי", ""},                 {"ᚠᚢᚦ", ""}, // two scripts; runes
    };
    for (const auto &[text, language] : cases)
        EXPECT_EQ(velmora::OcrLanguageFor(QString::fromUtf8(text)), QString::fromLatin1(language)) << text;
    EXPECT_EQ(velmora::OcrPackageFor(QStringLiteral("chi_sim")), QStringLiteral("tesseract-ocr-chi-sim"));
}

} // namespace
