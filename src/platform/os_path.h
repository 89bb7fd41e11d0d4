// The platform's path conventions. Records and text files may hold either
// separator; everything handed to the file system goes through ToOsPath.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin {

// The directory separator of this platform, used wherever a directory is
// built or a trailing separator is added.
inline constexpr char kPathSeparator = '/';
// The platform kind written into settings.cfg by this build's services.
inline constexpr unsigned char kPlatformKind = 0;

// True when the text ends with "\" or "/".
bool HasTrailingSeparator(std::string_view path);
// Appends kPathSeparator unless the text is empty or already ends with a
// separator.
std::string WithTrailingSeparator(std::string_view path);
// Every "\" becomes "/": stored paths on their way to the file system.
std::string ToOsPath(std::string_view path);
// Absolute means a leading separator (after mapping).
bool IsAbsolutePath(std::string_view path);

}  // namespace tarvelin
