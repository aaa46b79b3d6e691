#pragma once

#include "core/error.h"

namespace velmora {

// Raised by the typed value stream; carries the exact message the user sees.
class ETypedFilerError : public EVelmoraError
{
public:
    using EVelmoraError::EVelmoraError;
};

// Messages of the typed value stream, shared by reader and writer code.
namespace TypedFilerMessages {
inline constexpr const char NullStream[] = "TTypedFiler cannot be assigned to a null stream";
inline constexpr const char EndOfStream[] = "End of Stream, cannot read Type";
inline constexpr const char TypeMismatch[] = "Type %1 found and %2 expected in stream.";
inline constexpr const char ReadError[] = "Stream read error";
inline constexpr const char WriteError[] = "Stream write error";
inline constexpr const char TooLarge[] =
    "The project is too large for its file format: a text, a picture or the element tree would take more than the "
    "2 to 4 GB a part can hold; make the credit list or its pictures smaller";
inline constexpr const char NoEncryption[] = "TTypedFiler has not been compiled with encryption support";
inline constexpr const char NoCompression[] = "TTypedFiler has not been compiled with compression support";
inline constexpr const char PictureClassNotFound[] = "Class not found in TypedStream.ReadPicture : %1";
inline constexpr const char PictureNoInstance[] = "Could not create an instance of '%1'";
inline constexpr const char PictureBadTag[] = "Type %1 found in Picture Stream expecting string of stream.";
inline constexpr const char PictureUndecodable[] = "Picture stream holds no readable '%1' image";
inline constexpr const char CustomVariantUnknown[] =
    "Custom Variant of type \"%1\" not registered or Is not streamable in TTypedStream.ReadVariant";
inline constexpr const char VariantTooDeep[] = "Variant arrays nested deeper than %1 levels in stream";
inline constexpr const char VariantBadDimensions[] = "Variant array with %1 dimensions in stream";
} // namespace TypedFilerMessages

} // namespace velmora
