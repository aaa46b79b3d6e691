#pragma once

#include "core/elements/Interfaces.h"

#include <QStringList>
#include <array>

namespace velmora {

// A starting point for a new project: a film size row, its rate and a background.
struct TProjectTemplate
{
    const char *Name;
    qint32 ContentSize; // row of ContentSizes; -1: the fresh project exactly as it is
    qint32 FrameRate;
    TArgb BackColor;
    bool NtscRate = false;  // FrameRate at 1000/1001: 23.976, 29.97
};

// The choices of New Project; the last one is the classic fresh project.
extern const std::array<TProjectTemplate, 14> ProjectTemplates;
inline constexpr std::size_t ClassicTemplate = 13;

// The template a credit sheet's own project follows (HD 1080p, 24 fps, black), as the command
// line builds it.
inline constexpr std::size_t SheetTemplate = 0;

QStringList ProjectTemplateNames();

// What a template with a film size row sets, for callers that apply it as undoable steps.
struct TTemplateSettings
{
    qint32 ContentSize;
    qint32 Width;
    qint32 Height;
    qint32 FrameRate;
    qint32 ScrollRate;
    TArgb BackColor;
    bool NtscRate = false;
};
TTemplateSettings TemplateSettings(const TProjectTemplate &projectTemplate);

// Sets a fresh project's film size, rates and background from the template; the classic one
// changes nothing.
void ApplyProjectTemplate(IProject &project, const TProjectTemplate &projectTemplate);

} // namespace velmora
