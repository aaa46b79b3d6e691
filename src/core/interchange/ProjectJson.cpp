#include "core/interchange/ProjectJson.h"

#include "core/document/Document.h"
#include "core/document/ElementTree.h"
#include "core/document/TreeSection.h"
#include "core/elements/ElementCard.h"
#include "core/elements/ElementImage.h"
#include "core/document/ElementCatalogue.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"
#include "core/elements/EmbeddedImage.h"
#include "core/sheets/CreditStyles.h"
#include "core/elements/ContentSizes.h"
#include "core/render/Timecode.h"
#include "core/elements/StyleRecords.h"
#include "core/elements/Interfaces.h"
#include "core/typedfiler/CodePage.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QSet>
#include <QJsonArray>
#include <QRegularExpression>
#include <algorithm>
#include <functional>
#include <map>

namespace velmora {

QString ColorText(quint32 argb)
{
    return QStringLiteral("#%1").arg(argb, 8, 16, QLatin1Char('0')).toUpper();
}

namespace {

const char *const HAlignNames[] = {"eaLeft", "eaCenter", "eaRight"};
const char *const VAlignNames[] = {"eaTop", "eaMiddle", "eaBottom"};
const char *const WrapModeNames[] = {"Tile", "Tile - Flip X", "Tile - Flip Y", "Tile - Flip XY", "Fit To Film"};
const char *const PlacementNames[] = {"centre", "top", "bottom"};

// A number within names' range is written as its name; anything else stays a number.
template <std::size_t N>
QJsonValue EnumValue(int value, const char *const (&names)[N])
{
    if (value >= 0 && value < int(N))
        return QString::fromLatin1(names[value]);
    return value;
}

QJsonValue ContentSizeValue(int index)
{
    const QStringList items = ContentSizeListItems();
    if (index >= 0 && index < items.size())
        return items[index];
    return index;
}

// Pictures travel inside the description, so that importing what info printed rebuilds them;
// a vector picture as its own bytes, so it comes back as vectors.
QJsonValue ImageData(const QImage *image, const TVectorPicture *vector = nullptr)
{
    if (vector)
        return QString::fromLatin1(vector->Bytes().toBase64());
    if (image == nullptr || image->isNull())
        return QJsonValue::Null;
    return QString::fromLatin1(EncodePng(*image).toBase64());
}

// A picture's size (null for no picture); a stored picture that shows as nothing says why under "note".
QJsonValue SizeJson(QSize size, const QString &problem)
{
    if (!size.isValid())
        return QJsonValue::Null;
    QJsonObject json{{QStringLiteral("width"), size.width()}, {QStringLiteral("height"), size.height()}};
    if (!problem.isEmpty())
        json[QStringLiteral("note")] = problem;
    return json;
}

QJsonValue ImageSize(const QImage *image, const QString &problem)
{
    return image == nullptr ? QJsonValue(QJsonValue::Null) : SizeJson(image->size(), problem);
}

// Collects fields as a JSON object would take them: a name set again keeps its last value.
class TFieldCollector
{
public:
    explicit TFieldCollector(TNodeFields &fields) : m_fields(fields) {}

    QJsonValue &operator[](const QString &name)
    {
        for (auto &[key, value] : m_fields)
            if (key == name)
                return value;
        return m_fields.emplace_back(name, QJsonValue()).second;
    }

private:
    TNodeFields &m_fields;
};

template <typename TFields>
void AddFields(const IElement &element, TFields &json, bool withPictures)
{
    if (const auto *project = queryInterface<IProject>(&element)) {
        QString name;
        element.GetCaption(-1, name);
        json[QStringLiteral("Name")] = name;
        json[QStringLiteral("Height")] = project->GetHeight();
        json[QStringLiteral("Width")] = project->GetWidth();
        json[QStringLiteral("ContentSize")] = ContentSizeValue(project->GetContentSize());
        json[QStringLiteral("BackColor")] = ColorText(project->GetBackColor());
        json[QStringLiteral("FrameRate")] = project->GetFrameRate();
        // Written only when set, so descriptions of other projects keep their text.
        if (project->GetNtscRate())
            json[QStringLiteral("NtscRate")] = true;
        json[QStringLiteral("ScrollRate")] = project->GetScrollRate();
        // Written only when set, so descriptions of other projects keep their text.
        if (const QString start = project->GetStartTimecode(); !start.isEmpty())
            json[QStringLiteral("StartTimecode")] = start;
    }
    if (const auto *background = queryInterface<IProjectBackground>(&element)) {
        // The project's own size query leaves a stored background undecoded.
        const auto *project = dynamic_cast<const TVmElementProject *>(&element);
        json[QStringLiteral("Background")] =
            project ? SizeJson(project->BackgroundSize(), project->BackgroundProblem())
                    : ImageSize(background->GetBackground(), QString());
        if (withPictures)
            json[QStringLiteral("BackgroundData")] =
                ImageData(background->GetBackground(), project ? project->GetBackgroundVector() : nullptr);
        json[QStringLiteral("WrapMode")] = EnumValue(background->GetWrapMode(), WrapModeNames);
    }
    if (const auto *text = queryInterface<IElementText>(&element)) {
        QString value;
        text->GetText(value);
        json[QStringLiteral("Text")] = value;
    }
    if (const auto *font = queryInterface<IGDIPFont>(&element)) {
        QByteArray name;
        font->GetFontName(name);
        json[QStringLiteral("FontName")] = FromSystemCodePage(name);
        json[QStringLiteral("FontSize")] = font->GetFontSize();
        json[QStringLiteral("Color")] = ColorText(font->GetColor());
    }
    if (const auto *image = queryInterface<IElementImage>(&element)) {
        QByteArray fileName;
        image->GetFileName(fileName);
        json[QStringLiteral("FileName")] = FromSystemCodePage(fileName);
        const auto *picture = dynamic_cast<const TVmElementImage *>(&element);
        const TVectorPicture *vector = picture ? picture->GetVector() : nullptr;
        json[QStringLiteral("Image")] = vector ? SizeJson(vector->PixelSize(), QString())
                                               : ImageSize(image->GetImage(), picture ? picture->PictureProblem() : QString());
        if (withPictures)
            json[QStringLiteral("ImageData")] = ImageData(image->GetImage(), picture ? picture->GetVector() : nullptr);
        json[QStringLiteral("SpecificDims")] = image->GetSpecificDims();
        json[QStringLiteral("Width")] = image->GetWidth();
        json[QStringLiteral("Height")] = image->GetHeight();
    }
    if (const auto *align = queryInterface<IElementHorizontalAlign>(&element))
        json[QStringLiteral("HAlign")] = EnumValue(align->GetHorizontalAlign(), HAlignNames);
    if (const auto *align = queryInterface<IElementVerticalAlign>(&element))
        json[QStringLiteral("VAlign")] = EnumValue(align->GetVerticalAlign(), VAlignNames);
    // A text's style part, as its record keeps it: only when it says something.
    if (const auto *styled = queryInterface<IElementStyled>(&element);
        styled != nullptr && TextStyleWanted(styled->GetStyleName(), styled->GetLeading(), styled->GetTracking())) {
        json[QStringLiteral("StyleName")] = styled->GetStyleName();
        json[QStringLiteral("Leading")] = styled->GetLeading();
        json[QStringLiteral("Tracking")] = styled->GetTracking();
    }
    if (const auto *text = dynamic_cast<const TVmElementText *>(&element); text != nullptr && text->GetSmallCaps())
        json[QStringLiteral("SmallCaps")] = true;
    // Only texts placed within their band (unlinked credits) carry indents.
    if (const auto *text = queryInterface<IElementIndents>(&element);
        text != nullptr && (text->GetLeftIndent() != 0 || text->GetRightIndent() != 0)) {
        json[QStringLiteral("LeftIndent")] = text->GetLeftIndent();
        json[QStringLiteral("RightIndent")] = text->GetRightIndent();
    }
    if (const auto *margins = queryInterface<IElementMargins>(&element)) {
        json[QStringLiteral("TopOffset")] = margins->GetTopOffset();
        json[QStringLiteral("UseFixedHeight")] = margins->GetUseFixedHeight();
        json[QStringLiteral("FixedHeight")] = margins->GetFixedHeight();
    }
    if (const auto *card = dynamic_cast<const TVmElementCard *>(&element)) {
        const TCardTiming &timing = card->Timing();
        json[QStringLiteral("Hold")] = timing.HoldFrames;
        json[QStringLiteral("In")] = TransitionText(timing.In);
        json[QStringLiteral("Out")] = TransitionText(timing.Out);
        json[QStringLiteral("Placement")] = EnumValue(int(timing.Placement), PlacementNames);
        json[QStringLiteral("MinimumHoldMs")] = timing.MinimumHoldMs;
        json[QStringLiteral("CharactersPerSecond")] = timing.CharactersPerSecond;
    }
    // Images, columns and column carry a caption of their own.
    if (queryInterface<IProject>(&element) == nullptr && queryInterface<IElementText>(&element) == nullptr) {
        QString caption;
        element.GetCaption(-1, caption);
        json[QStringLiteral("Caption")] = caption;
    }
}

QStringList WrapModeList()
{
    QStringList names;
    for (const char *name : WrapModeNames)
        names.append(QString::fromLatin1(name));
    return names;
}

// Applies one description node to an element, field by field, with the node's path in errors.
class TNodeReader
{
public:
    TNodeReader(const QJsonObject &json, QString path, const QDir &baseDir)
        : m_json(json), m_path(std::move(path)), m_baseDir(baseDir)
    {
    }

    [[noreturn]] void Fail(const QString &what) const
    {
        throw EVelmoraError(QStringLiteral("%1: %2").arg(m_path, what));
    }

    // Calls apply with the value when the field is present; a field of another type fails.
    void Int(const char *field, const std::function<void(int)> &apply)
    {
        if (const QJsonValue value = Take(field); !value.isUndefined()) {
            const double number = value.toDouble(0.5);
            // Compared as doubles first: converting one beyond the 32-bit range is undefined.
            if (!value.isDouble() || !(number >= double(INT32_MIN) && number <= double(INT32_MAX))
                || number != double(qint32(number)))
                Fail(QStringLiteral("field \"%1\" must be a whole number").arg(QLatin1String(field)));
            apply(qint32(number));
        }
    }
    // A number within [minimum, maximum].
    void Number(const char *field, double minimum, double maximum, const std::function<void(double)> &apply)
    {
        if (const QJsonValue value = Take(field); !value.isUndefined()) {
            if (!value.isDouble() || !(value.toDouble() >= minimum && value.toDouble() <= maximum))
                Fail(QStringLiteral("field \"%1\" must be a number from %2 to %3").arg(QLatin1String(field)).arg(minimum).arg(maximum));
            apply(value.toDouble());
        }
    }
    void Bool(const char *field, const std::function<void(bool)> &apply)
    {
        if (const QJsonValue value = Take(field); !value.isUndefined()) {
            if (!value.isBool())
                Fail(QStringLiteral("field \"%1\" must be true or false").arg(QLatin1String(field)));
            apply(value.toBool());
        }
    }
    void String(const char *field, const std::function<void(const QString &)> &apply)
    {
        if (const QJsonValue value = Take(field); !value.isUndefined()) {
            if (!value.isString())
                Fail(QStringLiteral("field \"%1\" must be a string").arg(QLatin1String(field)));
            apply(value.toString());
        }
    }
    void Color(const char *field, const std::function<void(quint32)> &apply)
    {
        String(field, [&](const QString &text) {
            static const QRegularExpression pattern(QStringLiteral("^#([0-9A-Fa-f]{6}|[0-9A-Fa-f]{8})$"));
            if (!pattern.match(text).hasMatch())
                Fail(QStringLiteral("field \"%1\" must be a colour \"#AARRGGBB\" or \"#RRGGBB\"").arg(QLatin1String(field)));
            quint32 argb = text.mid(1).toUInt(nullptr, 16);
            if (text.size() == 7)
                argb |= 0xFF000000u;
            apply(argb);
        });
    }
    // A whole number within [minimum, maximum], the range the editor keeps.
    void Range(const char *field, int minimum, int maximum, const std::function<void(int)> &apply)
    {
        Int(field, [&](int value) {
            if (value < minimum || value > maximum)
                Fail(QStringLiteral("field \"%1\" must be from %2 to %3, not %4")
                         .arg(QLatin1String(field))
                         .arg(minimum)
                         .arg(maximum)
                         .arg(value));
            apply(value);
        });
    }
    // An enumeration given by number or by one of its names (case, spaces, dashes and the
    // "ea"/"ta" prefix do not matter: "eaCenter", "taCenter", "center").
    // aliases: names a value went by in earlier versions.
    void Enum(const char *field, const QStringList &names, const std::function<void(int)> &apply,
        const std::vector<std::pair<QString, int>> &aliases = {})
    {
        if (const QJsonValue value = Take(field); !value.isUndefined()) {
            int index = -1;
            if (value.isDouble()) {
                const double number = value.toDouble();
                if (number >= 0 && number < names.size() && number == double(int(number)))
                    index = int(number);
            } else if (value.isString()) {
                const auto simplify = [](QString text, bool stripPrefix) {
                    text = text.toLower().remove(QLatin1Char(' ')).remove(QLatin1Char('-'));
                    if (stripPrefix && (text.startsWith(QLatin1String("ea")) || text.startsWith(QLatin1String("ta"))))
                        text = text.mid(2);
                    return text;
                };
                const QString wanted = simplify(value.toString(), true);
                for (int i = 0; i < names.size() && index < 0; ++i)
                    if (simplify(names[i], true) == wanted || simplify(names[i], false) == simplify(value.toString(), false))
                        index = i;
                for (const auto &[alias, i] : aliases)
                    if (index < 0 && simplify(alias, false) == simplify(value.toString(), false))
                        index = i;
            }
            if (index < 0) {
                QStringList choices;
                for (int i = 0; i < names.size(); ++i)
                    choices.append(QStringLiteral("%1 (\"%2\")").arg(i).arg(names[i]));
                Fail(QStringLiteral("field \"%1\" must be one of %2").arg(QLatin1String(field), choices.join(QStringLiteral(", "))));
            }
            apply(index);
        }
    }
    // A picture carried inline as base64 bytes: SVG or PDF to vector, PNG to image.
    void Picture(const char *field, const std::function<void(const QImage &)> &apply,
                 const std::function<void(std::shared_ptr<const TVectorPicture>)> &applyVector)
    {
        if (const QJsonValue value = m_json.value(QLatin1String(field)); value.isString()) {
            const QByteArray bytes = QByteArray::fromBase64(value.toString().toLatin1());
            if (IsVectorPictureBytes(bytes)) {
                Take(field);
                try {
                    applyVector(TVectorPicture::FromBytes(bytes, QLatin1String(field)));
                } catch (const EVelmoraError &e) {
                    Fail(e.message());
                }
                return;
            }
        }
        Picture(field, apply);
    }
    // A picture carried inline as base64 PNG bytes.
    void Picture(const char *field, const std::function<void(const QImage &)> &apply)
    {
        if (const QJsonValue value = Take(field); !value.isUndefined() && !value.isNull()) {
            const QImage image = value.isString()
                ? DecodePng(QByteArray::fromBase64(value.toString().toLatin1()), TColorHandling::Ignored)
                : QImage();
            if (image.isNull())
                Fail(QStringLiteral("field \"%1\" must hold a PNG picture in base64").arg(QLatin1String(field)));
            apply(image);
        }
    }
    bool Has(const char *field) const { return m_json.contains(QLatin1String(field)); }
    // A file relative to the description's folder.
    void File(const char *field, const std::function<void(const QString &)> &apply)
    {
        String(field, [&](const QString &name) {
            const QString path = m_baseDir.absoluteFilePath(name);
            if (!QFileInfo::exists(path))
                Fail(QStringLiteral("the file \"%1\" of field \"%2\" does not exist").arg(path, QLatin1String(field)));
            apply(path);
        });
    }
    // What info reports but a description cannot set.
    void Ignore(const char *field) { Take(field); }

    // Names the project file keeps in its 8-bit code page: a warning when characters would
    // be lost, since the file then holds "?" in their place.
    void CheckStorable(const char *field, const QString &value) const
    {
        if (Warnings && FromSystemCodePage(ToSystemCodePage(value)) != value)
            Warnings->append(QStringLiteral("%1: field \"%2\" has characters a project file cannot store; they are saved as \"?\"")
                                 .arg(m_path, QLatin1String(field)));
    }
    QStringList *Warnings = nullptr;

    void CheckAllUsed() const
    {
        for (auto it = m_json.begin(); it != m_json.end(); ++it)
            if (!m_used.contains(it.key()))
                Fail(QStringLiteral("unknown field \"%1\"").arg(it.key()));
    }

private:
    QJsonValue Take(const char *field)
    {
        const QString key = QLatin1String(field);
        m_used.insert(key);
        return m_json.value(key);
    }

    const QJsonObject &m_json;
    QString m_path;
    QDir m_baseDir;
    QSet<QString> m_used;
};

void ApplyFields(IElement &element, TNodeReader &reader)
{
    // Files first: loading an image resets its size, caption and the specific dimensions.
    if (auto *image = queryInterface<IElementImage>(&element))
        reader.File("ImageFile", [&](const QString &path) {
            reader.CheckStorable("ImageFile", path);
            image->LoadFromFile(path);
            if (image->GetImage() == nullptr || image->GetImage()->isNull())
                reader.Fail(QStringLiteral("the image \"%1\" cannot be read").arg(path));
        });
    if (auto *image = dynamic_cast<TVmElementImage *>(&element); image && !reader.Has("ImageFile")) {
        QString fileName = QStringLiteral("image.png");
        reader.String("FileName", [&](const QString &v) { fileName = v; });
        reader.Picture("ImageData", [&](const QImage &picture) { image->AssignImage(picture, fileName); },
                       [&](std::shared_ptr<const TVectorPicture> vector) { image->AssignVector(std::move(vector), fileName); });
    }
    if (auto *background = queryInterface<IProjectBackground>(&element)) {
        reader.File("BackgroundFile", [&](const QString &path) {
            background->LoadBackground(path);
            if (background->GetBackground() == nullptr || background->GetBackground()->isNull())
                reader.Fail(QStringLiteral("the image \"%1\" cannot be read").arg(path));
        });
        if (!reader.Has("BackgroundFile"))
            reader.Picture("BackgroundData", [&](const QImage &picture) {
                // The background is read from a file only: hand it one.
                QTemporaryDir folder;
                const QString path = folder.filePath(QStringLiteral("background.png"));
                if (!folder.isValid() || !picture.save(path, "PNG"))
                    reader.Fail(QStringLiteral("cannot write a temporary copy of the background"));
                background->LoadBackground(path);
            }, [&](std::shared_ptr<const TVectorPicture> vector) {
                auto *project = dynamic_cast<TVmElementProject *>(&element);
                if (!project)
                    reader.Fail(QStringLiteral("only a project's background can be a vector picture"));
                project->AssignBackgroundVector(std::move(vector));
            });
        reader.Ignore("BackgroundData");
        reader.Enum("WrapMode", WrapModeList(), [&](int v) { background->SetWrapMode(v); });
        reader.Ignore("Background");
    }
    if (auto *project = queryInterface<IProject>(&element)) {
        reader.String("Name", [&](const QString &v) {
            reader.CheckStorable("Name", v);
            element.SetCaption(-1, v);
        });
        reader.Range("Height", 2, 20000, [&](int v) { project->SetHeight(v); });
        reader.Range("Width", 2, 20000, [&](int v) { project->SetWidth(v); });
        reader.Enum("ContentSize", ContentSizeListItems(), [&](int v) { project->SetContentSize(v); }, ContentSizeFormerNames());
        reader.Color("BackColor", [&](quint32 v) { project->SetBackColor(v); });
        reader.Range("FrameRate", 1, 100, [&](int v) { project->SetFrameRate(v); });
        reader.Bool("NtscRate", [&](bool v) { project->SetNtscRate(v); });
        reader.Range("ScrollRate", 1, 1000, [&](int v) { project->SetScrollRate(v); });
        reader.String("StartTimecode", [&](const QString &v) {
            if (const QString problem = StartTimecodeProblem(v, project->GetFrameRate()); !problem.isEmpty())
                reader.Fail(QStringLiteral("field \"StartTimecode\": %1").arg(problem));
            project->SetStartTimecode(v.trimmed());
        });
    }
    if (auto *text = queryInterface<IElementText>(&element))
        reader.String("Text", [&](const QString &v) { text->SetText(v); });
    if (auto *font = queryInterface<IGDIPFont>(&element)) {
        reader.String("FontName", [&](const QString &v) {
            reader.CheckStorable("FontName", v);
            font->SetFontName(ToSystemCodePage(v));
        });
        reader.Range("FontSize", 1, 1024, [&](int v) { font->SetFontSize(v); });
        reader.Color("Color", [&](quint32 v) { font->SetColor(v); });
    }
    if (auto *image = queryInterface<IElementImage>(&element)) {
        reader.Bool("SpecificDims", [&](bool v) { image->SetSpecificDims(v); });
        reader.Range("Width", 0, 20000, [&](int v) { image->SetWidth(v); });
        reader.Range("Height", 0, 20000, [&](int v) { image->SetHeight(v); });
        reader.Ignore("FileName");
        reader.Ignore("Image");
        reader.Ignore("ImageData");
    }
    if (auto *align = queryInterface<IElementHorizontalAlign>(&element))
        reader.Enum("HAlign", {QStringLiteral("eaLeft"), QStringLiteral("eaCenter"), QStringLiteral("eaRight")},
                    [&](int v) { align->SetHorizontalAlign(TElementHAlignment(v)); });
    if (auto *align = queryInterface<IElementVerticalAlign>(&element))
        reader.Enum("VAlign", {QStringLiteral("eaTop"), QStringLiteral("eaMiddle"), QStringLiteral("eaBottom")},
                    [&](int v) { align->SetVerticalAlign(TElementVAlignment(v)); });
    if (auto *styled = queryInterface<IElementStyled>(&element)) {
        reader.String("StyleName", [&](const QString &v) { styled->SetStyleName(v); });
        reader.Number("Leading", MinLeading, MaxLeading, [&](double v) { styled->SetLeading(v); });
        reader.Range("Tracking", MinTracking, MaxTracking, [&](int v) { styled->SetTracking(v); });
    }
    if (auto *text = dynamic_cast<TVmElementText *>(&element))
        reader.Bool("SmallCaps", [&](bool v) { text->SetSmallCaps(v); });
    if (auto *text = queryInterface<IElementIndents>(&element)) {
        reader.Range("LeftIndent", -20000, 20000, [&](int v) { text->SetLeftIndent(v); });
        reader.Range("RightIndent", -20000, 20000, [&](int v) { text->SetRightIndent(v); });
    }
    if (auto *margins = queryInterface<IElementMargins>(&element)) {
        // Images keep the narrower offset range their page allows.
        const int offset = queryInterface<IElementImage>(&element) ? 1000 : 10000;
        reader.Range("TopOffset", -offset, offset, [&](int v) { margins->SetTopOffset(v); });
        reader.Bool("UseFixedHeight", [&](bool v) { margins->SetUseFixedHeight(v); });
        reader.Range("FixedHeight", 0, 20000, [&](int v) { margins->SetFixedHeight(v); });
    }
    if (auto *card = dynamic_cast<TVmElementCard *>(&element)) {
        TCardTiming timing = card->Timing();
        reader.Range("Hold", 0, 24 * 60 * 60 * 100, [&](int v) { timing.HoldFrames = v; });
        const auto transition = [&](const char *field, TTransition &into) {
            reader.String(field, [&](const QString &v) {
                try {
                    into = ParseTransition(v);
                } catch (const EVelmoraError &e) {
                    reader.Fail(QStringLiteral("field \"%1\": %2").arg(QLatin1String(field), e.message()));
                }
            });
        };
        transition("In", timing.In);
        transition("Out", timing.Out);
        if (timing.In.Kind == TTransitionKind::Push)
            reader.Fail(QStringLiteral("field \"In\": a card cannot enter by a push; a push leaves a card for the crawl after it"));
        reader.Enum("Placement", {QStringLiteral("centre"), QStringLiteral("top"), QStringLiteral("bottom")},
                    [&](int v) { timing.Placement = TCardPlacement(v); });
        reader.Range("MinimumHoldMs", 0, 60 * 60 * 1000, [&](int v) { timing.MinimumHoldMs = v; });
        reader.Range("CharactersPerSecond", 1, 1000, [&](int v) { timing.CharactersPerSecond = v; });
        card->SetTiming(timing);
    }
    if (element.CanEditCaption(0) && queryInterface<IProject>(&element) == nullptr)
        reader.String("Caption", [&](const QString &v) { element.SetCaption(-1, v); });
    else
        reader.Ignore("Caption");
}

QString KindOf(const QJsonObject &json, const QString &path)
{
    const QJsonValue kind = json.value(QStringLiteral("kind"));
    if (!kind.isString())
        throw EVelmoraError(QStringLiteral("%1: the node has no \"kind\"").arg(path));
    return kind.toString();
}

// As deep as a project file may nest, so that whatever info --json prints imports back.
constexpr int MaxDepth = MaxNodeDepth;

void FillNode(TElementTree &tree, TElementNode &node, const QJsonObject &json, const QString &path,
              const QDir &baseDir, int depth, QStringList *warnings)
{
    if (depth > MaxDepth)
        throw EVelmoraError(QStringLiteral("%1: nodes nested deeper than %2 levels").arg(path).arg(MaxDepth));
    TNodeReader reader(json, QStringLiteral("%1 (%2)").arg(path, KindOf(json, path)), baseDir);
    reader.Warnings = warnings;
    reader.Ignore("kind");
    ApplyFields(*node.Element(), reader);
    reader.Bool("expanded", [&](bool v) { node.SetExpanded(v); });
    reader.Bool("selected", [&](bool v) { node.SetSelected(v); });

    const QJsonValue children = json.value(QStringLiteral("children"));
    reader.Ignore("children");
    reader.CheckAllUsed();
    if (children.isUndefined())
        return;
    if (!children.isArray())
        reader.Fail(QStringLiteral("field \"children\" must be a list"));
    const std::vector<const TElementKind *> allowed = ChildKindsOf(node.Element()->GetClass());
    const QJsonArray list = children.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString childPath = QStringLiteral("%1.children[%2]").arg(path).arg(i);
        if (!list[i].isObject())
            throw EVelmoraError(QStringLiteral("%1: a node must be an object").arg(childPath));
        const QJsonObject childJson = list[i].toObject();
        const QString kindName = KindOf(childJson, childPath);
        const TElementKind *kind = FindElementKind(kindName.toLatin1());
        if (kind == nullptr)
            throw EVelmoraError(QStringLiteral("%1: unknown kind \"%2\"").arg(childPath, kindName));
        if (std::find(allowed.begin(), allowed.end(), kind) == allowed.end())
            throw EVelmoraError(QStringLiteral("%1: a %2 cannot hold a %3")
                                    .arg(childPath, QLatin1String(node.Element()->GetClass().Name), kindName));
        TElementNode &child = tree.AddChild(node, kind->Create());
        FillNode(tree, child, childJson, childPath, baseDir, depth + 1, warnings);
    }
}

} // namespace

template <typename TFields>
void AddNodeFields(const TElementNode &node, TFields &json, bool withPictures)
{
    const IElement *element = node.Element();
    json[QStringLiteral("kind")] = element ? QString::fromLatin1(element->GetClass().Name) : QString();
    if (element)
        AddFields(*element, json, withPictures);
    json[QStringLiteral("expanded")] = node.IsExpanded();
    json[QStringLiteral("selected")] = node.IsSelected();
}

TNodeFields NodeFields(const TElementNode &node, bool withPictures)
{
    TNodeFields fields;
    TFieldCollector collector(fields);
    AddNodeFields(node, collector, withPictures);
    std::sort(fields.begin(), fields.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    return fields;
}

QJsonObject NodeToJson(const TElementNode &node, bool withPictures)
{
    QJsonObject json;
    AddNodeFields(node, json, withPictures);
    QJsonArray children;
    for (const auto &child : node.Children())
        children.append(NodeToJson(*child, withPictures));
    json[QStringLiteral("children")] = children;
    return json;
}

void ProjectFromJson(const QJsonValue &description, TDocument &document, const QDir &baseDir, QStringList *warnings)
{
    if (!description.isObject())
        throw EVelmoraError(QStringLiteral("the description must be a JSON object"));
    QJsonObject project = description.toObject();
    QString path = QStringLiteral("project");
    if (project.contains(QStringLiteral("nodes"))) {
        const QJsonValue nodes = project.value(QStringLiteral("nodes"));
        if (!nodes.isArray() || nodes.toArray().size() != 1 || !nodes.toArray().first().isObject())
            throw EVelmoraError(QStringLiteral("\"nodes\" must be a list holding exactly one project node"));
        project = nodes.toArray().first().toObject();
        path = QStringLiteral("nodes[0]");
    }
    const QString kind = KindOf(project, path);
    if (kind != QLatin1String("TVmElementProject"))
        throw EVelmoraError(QStringLiteral("%1: the top node must be a TVmElementProject, not \"%2\"").arg(path, kind));
    TElementNode *projectNode = document.ProjectNode();
    FillNode(document.Tree(), *projectNode, project, path, baseDir, 0, warnings);
}

} // namespace velmora
