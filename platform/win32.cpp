// The seam on Windows: UTF-8 paths turned into wide-character calls, files opened in binary and
// not inherited, a save's replace done by MoveFileExW (the C library's rename refuses an existing
// target), the console's Ctrl+C through SetConsoleCtrlHandler.
#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cwchar>

#include "platform/platform.h"

namespace orvo::platform {

namespace {

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(const wchar_t* text, int length = -1) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    if (length < 0 && !out.empty() && out.back() == '\0') out.pop_back();
    return out;
}

std::string errorText(DWORD code) {
    // The common cases in the words the POSIX build uses, so both say the same.
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
        return "No such file or directory";
    case ERROR_ACCESS_DENIED:
        return "Permission denied";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "it is in use by another program";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "No space left on device";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return "File exists";
    default:
        break;
    }
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = n > 0 ? narrow(buffer, static_cast<int>(n)) : "system error " + std::to_string(code);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.'))
        text.pop_back();
    return text;
}

void setWhy(std::string* why, std::string text) {
    if (why) *why = std::move(text);
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// NUL, CON, PRN, AUX, COM1..9 and LPT1..9 name devices in every folder, with any extension, and
// "\\.\" names a device outright; none of them is a file.
bool isDeviceName(const std::string& path) {
    if (path.rfind("\\\\.\\", 0) == 0 || path.rfind("//./", 0) == 0) return true;
    std::string name(fileName(path));
    if (const std::size_t dot = name.find('.'); dot != std::string::npos) name.erase(dot);
    while (!name.empty() && (name.back() == ' ' || name.back() == ':'))
        name.pop_back();
    for (char& c : name)
        c = upper(c);
    if (name == "NUL" || name == "CON" || name == "PRN" || name == "AUX" || name == "CONIN$" ||
        name == "CONOUT$")
        return true;
    return name.size() == 4 && (name.rfind("COM", 0) == 0 || name.rfind("LPT", 0) == 0) && name[3] >= '1' &&
           name[3] <= '9';
}

HANDLE handleOf(void* h) {
    return h ? static_cast<HANDLE>(h) : INVALID_HANDLE_VALUE;
}

} // namespace

std::string lastErrorText() {
    return errorText(GetLastError());
}

FileKind kindOfPath(const std::string& path, std::string* why) {
    if (path.empty()) {
        setWhy(why, "No such file or directory");
        return FileKind::None;
    }
    if (isDeviceName(path)) return FileKind::CharDevice;
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        setWhy(why, lastErrorText());
        return FileKind::None;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::Folder : FileKind::Regular;
}

File::~File() {
    if (m_handle) CloseHandle(handleOf(m_handle));
}

File::File(File&& other) noexcept : m_handle(other.m_handle), m_error(std::move(other.m_error)) {
    other.m_handle = nullptr;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (m_handle) CloseHandle(handleOf(m_handle));
        m_handle = other.m_handle;
        m_error = std::move(other.m_error);
        other.m_handle = nullptr;
    }
    return *this;
}

bool File::isOpen() const {
    return m_handle != nullptr;
}

void File::fail() {
    m_error = lastErrorText();
}

FileKind File::kind() const {
    if (!m_handle) return FileKind::None;
    switch (GetFileType(handleOf(m_handle))) {
    case FILE_TYPE_DISK: {
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileInformationByHandle(handleOf(m_handle), &info) &&
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return FileKind::Folder;
        return FileKind::Regular;
    }
    case FILE_TYPE_CHAR:
        return FileKind::CharDevice;
    case FILE_TYPE_PIPE:
        return FileKind::Fifo;
    default:
        return FileKind::Other;
    }
}

std::int64_t File::size() const {
    LARGE_INTEGER size{};
    if (!m_handle || !GetFileSizeEx(handleOf(m_handle), &size)) return -1;
    return static_cast<std::int64_t>(size.QuadPart);
}

std::ptrdiff_t File::read(void* buffer, std::size_t n) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
    if (!ReadFile(handleOf(m_handle), buffer, want, &got, nullptr)) {
        if (GetLastError() == ERROR_BROKEN_PIPE || GetLastError() == ERROR_HANDLE_EOF) return 0;
        fail();
        return -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

std::ptrdiff_t File::readAt(void* buffer, std::size_t n, std::int64_t offset) {
    // A synchronous handle's position moves with an OVERLAPPED read: it is put back afterwards.
    LARGE_INTEGER zero{}, position{};
    SetFilePointerEx(handleOf(m_handle), zero, &position, FILE_CURRENT);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
    const BOOL ok = ReadFile(handleOf(m_handle), buffer, want, &got, &at);
    const DWORD code = GetLastError();
    SetFilePointerEx(handleOf(m_handle), position, nullptr, FILE_BEGIN);
    if (!ok) {
        if (code == ERROR_HANDLE_EOF) return 0;
        m_error = errorText(code);
        return -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

bool File::writeAll(std::string_view data) {
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        DWORD wrote = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 20));
        if (!WriteFile(handleOf(m_handle), p, want, &wrote, nullptr) || wrote == 0) {
            fail();
            return false;
        }
        p += wrote;
        left -= wrote;
    }
    return true;
}

bool File::flush() {
    if (FlushFileBuffers(handleOf(m_handle))) return true;
    fail();
    return false;
}

bool File::close() {
    if (!m_handle) return true;
    const BOOL ok = CloseHandle(handleOf(m_handle));
    m_handle = nullptr;
    if (!ok) fail();
    return ok != 0;
}

File openForReading(const std::string& path, std::string* why) {
    File f;
    if (isDeviceName(path)) {
        setWhy(why, "it is a character device, not a regular file");
        return f;
    }
    // Shared for reading, writing and deleting: a file another program has open still reads,
    // and a save over it is not blocked by this reader. Not inherited (no SECURITY_ATTRIBUTES).
    const HANDLE h =
        CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        setWhy(why, lastErrorText());
        return f;
    }
    f.m_handle = h;
    return f;
}

bool createTempBeside(const std::string& target, File& file, std::string& tempPath, bool* noFolder) {
    static std::atomic<unsigned> counter{0};
    const std::string stem = std::string(folderOf(target)) + "." + std::string(fileName(target)) + ".";
    file = File();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned n = GetCurrentProcessId() * 7919u + GetTickCount() + counter++ * 104729u;
        static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        std::string suffix;
        unsigned v = n;
        for (int i = 0; i < 6; ++i, v /= 62)
            suffix += letters[v % 62];
        tempPath = stem + suffix;
        const HANDLE h = CreateFileW(wide(tempPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            file.m_handle = h;
            return true;
        }
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) continue;
        if (noFolder)
            *noFolder = code == ERROR_PATH_NOT_FOUND || code == ERROR_FILE_NOT_FOUND ||
                        code == ERROR_INVALID_NAME || code == ERROR_FILENAME_EXCED_RANGE ||
                        code == ERROR_DIRECTORY;
        return false;
    }
    if (noFolder) *noFolder = false;
    return false;
}

bool replaceFile(const std::string& from, const std::string& to, std::string* why) {
    if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    setWhy(why, lastErrorText());
    return false;
}

bool removeFile(const std::string& path) {
    return DeleteFileW(wide(path).c_str()) != 0;
}

void flushFolder(const std::string&) {
    // MoveFileExW with MOVEFILE_WRITE_THROUGH returns only once the replace is on the disk.
}

std::string followLinks(const std::string& path, bool* loop) {
    // The system follows a link when the file is opened and replaced; nothing to resolve here.
    if (loop) *loop = false;
    return path;
}

bool isWritable(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
}

void keepPermissions(File&, const std::string&, bool) {
    // A new file takes its folder's access rules; a read-only target is refused before the save.
}

bool makeFolders(const std::string& folder, std::string* why) {
    if (folder.empty()) return true;
    std::size_t from = 0;
    // A drive ("C:\") or a network share ("\\server\share\") is there or not: start past it.
    if (folder.size() >= 2 && folder[1] == ':') from = 3;
    while (from <= folder.size()) {
        std::size_t sep = folder.find_first_of("/\\", from);
        if (sep == std::string::npos) sep = folder.size();
        const std::string at = folder.substr(0, sep);
        if (!at.empty() && !CreateDirectoryW(wide(at).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_ACCESS_DENIED) {
            setWhy(why, lastErrorText());
            return false;
        }
        from = sep + 1;
    }
    if (kindOfPath(folder) != FileKind::Folder) {
        setWhy(why, "it is not a folder");
        return false;
    }
    return true;
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE h = FindFirstFileW(wide(joinPath(folder, "*")).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(narrow(found.cFileName));
    } while (FindNextFileW(h, &found));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

std::string environment(const char* name) {
    const std::wstring key = wide(name);
    const DWORD n = GetEnvironmentVariableW(key.c_str(), nullptr, 0);
    if (n == 0) return std::string();
    std::wstring value(n, L'\0');
    const DWORD got = GetEnvironmentVariableW(key.c_str(), value.data(), n);
    value.resize(got);
    return narrow(value.c_str(), static_cast<int>(value.size()));
}

void setEnvironmentDefault(const char* name, const char* value) {
    if (environment(name).empty()) SetEnvironmentVariableW(wide(name).c_str(), wide(value).c_str());
}

void ignoreFileSizeSignal() {
    // Windows has no file size signal: a write beyond a quota fails and is reported.
}

namespace {
void (*interruptHandler)(int) = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (!interruptHandler) return FALSE;
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        interruptHandler(event == CTRL_C_EVENT ? SIGINT : SIGTERM);
        return TRUE;
    }
    return FALSE;
}
} // namespace

InterruptGuard::InterruptGuard(void (*onInterrupt)(int)) {
    interruptHandler = onInterrupt;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

InterruptGuard::~InterruptGuard() {
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    interruptHandler = nullptr;
}

void writeToStandardError(std::string_view text) {
    DWORD wrote = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
}

} // namespace orvo::platform

#endif
