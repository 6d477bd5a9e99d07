// How paths are written on this platform: the separator, absolute paths, the
// way a stored path is shown, and where standing settings are kept. The rest
// of the program builds and takes paths apart only through these.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mailsift::platform {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// A character that separates path components.
bool is_separator(char c);
// Appends the separator unless the path already ends in one.
void append_separator(std::string& path);
// Drops one trailing separator; a file-system root keeps its own.
void drop_trailing_separator(std::string& path);
// The path as rows and messages show it (a long-path prefix is left out).
std::string_view display_path(std::string_view stored);
// Settings files looked for after the current directory and the executable's
// directory, in order (empty where the platform has no such places).
std::vector<std::string> standing_ini_places();
// Whether a command-line argument beginning with `c` holds options ("-" and
// "+" everywhere; "/" too where it does not start an absolute path).
bool starts_option(char c);
// Puts the long-path prefix in front of an absolute path, where the platform
// has one (the stored form of a search root).
void add_long_path_prefix(std::string& absolute);
// Whether two stored paths name the same place: byte for byte where names
// are case-sensitive, without regard to case where the file system ignores it.
bool same_path(std::string_view a, std::string_view b);

}  // namespace mailsift::platform
