// The one seam between Orvo's widget-free core and the operating system: opening files for
// reading, the kind of what a path names, reading at an offset, saving through a temporary file
// and an atomic replace, links, permissions, folders, path helpers and Ctrl+C. Paths are UTF-8
// everywhere; the Windows implementation turns them into wide-character calls, the POSIX one hands
// them on as they are. Everything in data/, firmware/, moduleops/ and cli/ that touches a file or
// a signal goes through here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvo::platform {

// What a path names, after following symbolic links.
enum class FileKind { None, Regular, Folder, Fifo, CharDevice, BlockDevice, Socket, Other };

// "a folder", "a FIFO", "a character device", ... as a message says it.
const char* kindName(FileKind kind);

// The kind of what path names (None when nothing is there or it cannot be looked at: *why then
// says why in plain words, e.g. "No such file or directory").
FileKind kindOfPath(const std::string& path, std::string* why = nullptr);

// An open file: read-only for the readers, write-only for a save's temporary file. Closed when
// it goes.
class File {
  public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const;
    // The kind of the open file (a path may be replaced between a look and the open: this is
    // what was opened).
    FileKind kind() const;
    // Its size in bytes, or -1.
    std::int64_t size() const;
    // Up to n bytes from the current position: the count, 0 at the end, -1 on a failure.
    std::ptrdiff_t read(void* buffer, std::size_t n);
    // Up to n bytes from offset, the current position unchanged where the system allows.
    std::ptrdiff_t readAt(void* buffer, std::size_t n, std::int64_t offset);
    // Every byte of data, or false (a full disk, a file size limit, an I/O error).
    bool writeAll(std::string_view data);
    // What was written reaches the disk before this returns.
    bool flush();
    // false when the close itself reports a failure (some file systems report a failed write here).
    bool close();
    // The last failure in plain words.
    const std::string& error() const { return m_error; }

  private:
    friend File openForReading(const std::string&, std::string*);
    friend bool createTempBeside(const std::string&, File&, std::string&, bool*);
    friend void keepPermissions(File&, const std::string&, bool);
    void fail();
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
    std::string m_error;
};

// Opens path for reading, in binary, not inherited by programs started later, and never waiting
// (a FIFO without a writer, a serial device). A closed File and *why on failure. On Windows the
// device names (NUL, CON, COM1, ...) are refused as character devices.
File openForReading(const std::string& path, std::string* why = nullptr);

// A new, empty file for writing in the folder of target, named after it (".name.XXXXXX"), so a
// replace stays on one file system. *noFolder tells a missing folder from one that refuses a new
// file.
bool createTempBeside(const std::string& target, File& file, std::string& tempPath, bool* noFolder);

// Puts from in the place of to in one step: a reader sees the old file or the new one, never a
// mixture; an existing to is replaced (on Windows as well, where the C library's rename refuses).
bool replaceFile(const std::string& from, const std::string& to, std::string* why = nullptr);

bool removeFile(const std::string& path);

// Makes a completed replace in folder durable (nothing to do on Windows, whose replace writes
// through).
void flushFolder(const std::string& folder);

// The file a chain of symbolic links ends at (path itself when it is no link). A link to a file
// that does not exist yet still leads to that name. *loop is set for a chain that never ends.
std::string followLinks(const std::string& path, bool* loop = nullptr);

// Whether the existing file at path may be written by this user (a read-only file may not).
bool isWritable(const std::string& path);

// Gives file the permissions of the file at oldPath, or when there is none those a new file gets.
void keepPermissions(File& file, const std::string& oldPath, bool oldExists);

// Creates folder and every missing folder above it; true when it exists afterwards.
bool makeFolders(const std::string& folder, std::string* why = nullptr);

// The names (not paths) of the regular files in folder; empty when it cannot be read.
std::vector<std::string> filesIn(const std::string& folder);

// The text of the last system error, e.g. "Permission denied".
std::string lastErrorText();

// Path helpers that take '/', and on Windows also '\' and a drive letter ("C:name").
// The position of the last separator, or npos.
std::size_t lastSeparator(std::string_view path);
// What follows the last separator ("flight.csv" of "C:\\logs\\flight.csv").
std::string_view fileName(std::string_view path);
// The folder part with its trailing separator ("C:\\logs\\"), or "" for a bare name.
std::string_view folderOf(std::string_view path);
// folder and name joined with the system's separator.
std::string joinPath(std::string_view folder, std::string_view name);

// An environment variable, as UTF-8; "" when unset.
std::string environment(const char* name);
// Sets an environment variable unless it is set already.
void setEnvironmentDefault(const char* name, const char* value);

// A write to a file beyond the process's size limit fails and is reported instead of ending the
// process (nothing to do where the system has no such signal).
void ignoreFileSizeSignal();

// While it lives, Ctrl+C (and on POSIX SIGTERM, on Windows closing the console) calls
// onInterrupt instead of ending the program; the previous handling comes back when it goes.
// One guard at a time. onInterrupt runs in a signal handler or the console's control thread: it may only set
// a flag and call writeToStandardError.
class InterruptGuard {
  public:
    explicit InterruptGuard(void (*onInterrupt)(int));
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
};

// Writes text to standard error with one system call; safe in an interrupt handler.
void writeToStandardError(std::string_view text);

} // namespace orvo::platform
