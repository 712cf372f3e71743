// Finding and reading corvane.ini, and the text conversions its paths need.
//
// The file is looked for in the current folder and, when it cannot be opened
// there, in the folder of corvane.exe, so that a shortcut or an auto-start
// with another working folder still finds the file kept beside the program.
// Both are read through the Windows file API into memory and handed to inih
// as text: every build then opens them alike, with the Windows rules for
// sharing, directories and non-ASCII folder names.
#pragma once

#include <string>

namespace corvane::win32 {

struct SettingsFile {
    std::string text;
    std::string path;  // full path of the file that was read, UTF-8
};

// False when neither corvane.ini can be opened (or one is too large to be a
// settings file: 256 MiB and more).
bool read_settings_file(SettingsFile& file);

// Text for the wide Windows API. std::u16string, not std::wstring: Winelib
// compiles with a 2-byte wchar_t against a C++ library built for a 4-byte
// one, whose std::wstring must not be used. Hand it over with wide_ptr().
using WideText = std::u16string;

// UTF-8 when the bytes are UTF-8 (what today's Notepad saves), otherwise the
// ANSI code page (what older editors save).
WideText wide_text(const std::string& text);
std::string utf8_text(const WideText& text);
const wchar_t* wide_ptr(const WideText& text);

}  // namespace corvane::win32
