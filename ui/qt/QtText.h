#pragma once
// The Qt edge of the internal form: texts in Windows-1252 with "\" paths inside,
// QString (UTF-16, "/" paths on POSIX) in the widgets.
#include <QString>
#include <string>
#include <string_view>

#include "host/Encoding.h"

namespace skarvel::ui::qt {

// A text for the user: a caption, a message, a row's field.
inline QString DisplayText(std::string_view internal) { return QString::fromStdString(ToDisplayText(internal)); }

// A path as the user sees it, and back. InternalPath throws RefusedError for a
// path that the internal form cannot hold.
inline QString NativePathText(std::string_view internal) { return QString::fromStdString(ToNativePath(internal)); }
inline std::string InternalPath(const QString& native) { return ToInternalPath(native.toStdString()); }

}  // namespace skarvel::ui::qt
