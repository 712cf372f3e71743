// Reading corvane.ini through the wide Windows file API.
#include "app/win32/settings_file.h"

#include "platform/windows_api.h"


namespace corvane::win32 {
namespace {

constexpr char16_t kSettingsFileName[] = u"corvane.ini";
static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wide API takes UTF-16");
constexpr LONGLONG kLargestSettingsFile = LONGLONG{256} << 20;
constexpr DWORD kLongestPath = 32768;
constexpr DWORD kReadChunk = 1 << 20;

bool read_whole_file(const WideText& path, std::string& text) {
    // Shared for writing too, so that an editor holding the file open does
    // not keep Corvane from starting.
    const HANDLE file =
        CreateFileW(wide_ptr(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < kLargestSettingsFile;
    if (ok) {
        text.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t done = 0;
        while (ok && done < text.size()) {
            const std::size_t left = text.size() - done;
            DWORD got = 0;
            const DWORD chunk = static_cast<DWORD>(left < kReadChunk ? left : kReadChunk);
            ok = ReadFile(file, &text[done], chunk, &got, nullptr) && got > 0;
            done += got;
        }
    }
    CloseHandle(file);
    return ok;
}

wchar_t* wide_buffer(WideText& text) { return reinterpret_cast<wchar_t*>(&text[0]); }

// Full path of corvane.ini in the current folder.
WideText current_folder_file() {
    const wchar_t* name = reinterpret_cast<const wchar_t*>(kSettingsFileName);
    WideText path(MAX_PATH, u'\0');
    const auto full_path = [&] {
        return GetFullPathNameW(name, static_cast<DWORD>(path.size()), wide_buffer(path), nullptr);
    };
    DWORD length = full_path();
    if (length >= path.size()) {
        path.resize(length);
        length = full_path();
    }
    path.resize(length < path.size() ? length : 0);
    return path.empty() ? WideText(kSettingsFileName) : path;
}

// Full path of corvane.ini beside corvane.exe; empty when unknown.
WideText program_folder_file() {
    WideText path(MAX_PATH, u'\0');
    DWORD length = 0;
    const auto module_path = [&] {
        return GetModuleFileNameW(nullptr, wide_buffer(path), static_cast<DWORD>(path.size()));
    };
    while ((length = module_path()) == path.size() && path.size() < kLongestPath) {
        path.resize(path.size() * 2);
    }
    const std::size_t folder_end = path.find_last_of(u"\\/", length);
    if (length == 0 || length >= path.size() || folder_end == WideText::npos) {
        return WideText();
    }
    return path.replace(folder_end + 1, WideText::npos, kSettingsFileName);
}

WideText convert(UINT code_page, DWORD flags, const std::string& text) {
    if (text.empty()) {
        return WideText();
    }
    const int length = MultiByteToWideChar(code_page, flags, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) {
        return WideText();
    }
    WideText wide(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(code_page, flags, text.data(), static_cast<int>(text.size()),
                        wide_buffer(wide), length);
    return wide;
}

}  // namespace

bool read_settings_file(SettingsFile& file) {
    for (const WideText& path : {current_folder_file(), program_folder_file()}) {
        if (!path.empty() && read_whole_file(path, file.text)) {
            file.path = utf8_text(path);
            return true;
        }
    }
    return false;
}

WideText wide_text(const std::string& text) {
    WideText wide = convert(CP_UTF8, MB_ERR_INVALID_CHARS, text);
    return wide.empty() ? convert(CP_ACP, 0, text) : wide;
}

std::string utf8_text(const WideText& text) {
    if (text.empty()) {
        return std::string();
    }
    const wchar_t* wide = wide_ptr(text);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::string();
    }
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(text.size()), &utf8[0], length,
                        nullptr, nullptr);
    return utf8;
}

const wchar_t* wide_ptr(const WideText& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace corvane::win32
