// Files: name resolution, small file services, the cached line file and safe writes.
#include "runtime/files/files.h"

#include <dirent.h>      // Required for: opendir, readdir (case-insensitive lookup, stale temporaries)
#include <fcntl.h>       // Required for: open, fallocate
#include <signal.h>      // Required for: kill (is a writer still running)
#include <sys/stat.h>    // Required for: stat, fstat, fchmod
#include <unistd.h>      // Required for: getcwd, chdir, pwrite, fsync, rename, fchown, faccessat

#include <algorithm>     // Required for: std::all_of
#include <array>
#include <cerrno>
#include <cstdio>        // Required for: std::remove, std::fprintf
#include <cstring>       // Required for: strerror
#include <filesystem>    // Required for: lexically_normal (the install folder as shown)
#include <limits>        // Required for: std::numeric_limits
#include <new>           // Required for: std::bad_alloc
#include <vector>

#include "runtime/frame/program.h"   // Required for: RaiseRuntimeError, AddShutdownStep, AppendErrorLog
#include "runtime/platform/platform.h" // Required for: ProgramDirectory

namespace {

// ---------------------------------------------------------------------------
// Name resolution

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A file counts when it opens for reading and is not a directory (on this system
// a directory opens for reading but cannot be read).
bool IsReadableFile(const std::string& path) {
    if (path.empty()) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    ::close(fd);
    return ok;
}

// Opening without blocking keeps a FIFO with no writer from stalling the open; the
// type check then refuses it, and devices, before the first read.
template <typename Bytes>
bool ReadRegular(const std::string& path, size_t maxBytes, Bytes& bytes) {
    bytes.clear();
    if (path.empty()) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
              static_cast<uint64_t>(st.st_size) <= maxBytes;
    try {
        if (ok) bytes.resize(static_cast<size_t>(st.st_size));
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    // A file that grows meanwhile is read only up to the size it had.
    size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    if (!ok) bytes = Bytes();
    else bytes.resize(done);
    return ok;
}

std::string JoinPath(const std::string& base, std::string_view part) {
    if (base.empty()) return std::string(part);
    if (base.back() == '/') return base + std::string(part);
    return base + "/" + std::string(part);
}

// Depth-first search over the case variants of each component. Stops as soon as a
// second match is known, since only a unique match resolves.
void MatchComponents(const std::vector<std::string>& parts, size_t i, const std::string& base,
                     bool wantDirectory, std::vector<std::string>& matches) {
    if (matches.size() > 1) return;
    const bool last = i + 1 == parts.size();
    const std::string& part = parts[i];
    auto accept = [&](const std::string& path) {
        if (last) {
            if (wantDirectory ? IsDirectory(path) : IsReadableFile(path)) matches.push_back(path);
        } else if (IsDirectory(path)) {
            MatchComponents(parts, i + 1, path, wantDirectory, matches);
        }
    };
    if (part == "." || part == "..") {
        accept(JoinPath(base, part));
        return;
    }
    DIR* dir = ::opendir(base.empty() ? "." : base.c_str());
    if (!dir) return;
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir)) {
        if (SameIgnoringCase(e->d_name, part)) names.emplace_back(e->d_name);
    }
    ::closedir(dir);
    for (const auto& n : names) {
        accept(JoinPath(base, n));
        if (matches.size() > 1) return;
    }
}

// The unique file (or directory) a name with "\" separators and any letter case
// refers to; empty when there is none or more than one.
std::string FindLoosely(std::string name, bool wantDirectory) {
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
    if (wantDirectory ? IsDirectory(name) : IsReadableFile(name)) return name;
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        if (end > start) parts.push_back(name.substr(start, end - start));
        start = end + 1;
    }
    if (parts.empty()) return {};
    std::vector<std::string> matches;
    MatchComponents(parts, 0, name[0] == '/' ? "/" : "", wantDirectory, matches);
    return matches.size() == 1 ? matches[0] : std::string();
}

std::string CurrentDirectory() {
    std::string dir(4096, '\0');
    while (::getcwd(dir.data(), dir.size()) == nullptr) {
        if (errno != ERANGE) return "./";
        dir.resize(dir.size() * 2);
    }
    dir.resize(std::strlen(dir.c_str()));
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string MakeAbsolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    return CurrentDirectory() + path;
}

// ---------------------------------------------------------------------------
// The line file

struct LineFile {
    std::string fileName;                              // the name as the caller gave it
    std::string path;                                  // where a write-back goes
    std::array<std::string, kLineFileLines> lines;
    int lastLine = 0;
    bool dirty = false;
    bool unreadable = false;                           // the file could not be read and nothing was written
    bool registered = false;
};

LineFile& Lines() {
    static LineFile state;
    return state;
}

// Lines hold no NUL and no line end, and at most kLineFileLineBytes bytes.
std::string CutLine(std::string_view text) {
    const size_t end = text.find_first_of(std::string_view("\0\n", 2));
    if (end != std::string_view::npos) text = text.substr(0, end);
    if (text.size() > static_cast<size_t>(kLineFileLineBytes)) text = text.substr(0, kLineFileLineBytes);
    return std::string(text);
}

bool WriteBackLines() {
    LineFile& lf = Lines();
    if (!lf.dirty || lf.fileName.empty()) return true;
    std::string bytes;
    for (int i = 0; i <= lf.lastLine; ++i) {
        bytes += lf.lines[i];
        bytes += "\r\n";
    }
    if (!WriteFileAtomically(lf.path, bytes)) return false;
    lf.dirty = false;
    return true;
}

void EmptyLineCache() {
    LineFile& lf = Lines();
    for (auto& l : lf.lines) l.clear();
    lf.fileName.clear();
    lf.path.clear();
    lf.lastLine = 0;
    lf.dirty = false;
    lf.unreadable = false;
}

void RegisterLineFileShutdown() {
    LineFile& lf = Lines();
    if (lf.registered) return;
    lf.registered = true;
    AddShutdownStep("line file write-back", [] { WriteBackLines(); });
}

// Makes `name` the cached file. False (with end code 3) when it cannot be read;
// the cache then holds an empty file under that name.
bool OpenLineFile(const StrValue& name) {
    LineFile& lf = Lines();
    RegisterLineFileShutdown();
    if (!lf.fileName.empty() && lf.fileName == name.View()) {
        if (lf.unreadable) RaiseRuntimeError(kEndFileNotLoadable);
        return !lf.unreadable;
    }
    WriteBackLines();
    EmptyLineCache();
    lf.fileName = name.Std();
    lf.path = PathForWriting(name);

    StrValue resolved;
    std::string text;
    if (!ResolveFile(name, resolved) || !ReadRegularFile(resolved.Std(), kMaxLineFileBytes, text)) {
        lf.unreadable = true;
        RaiseRuntimeError(kEndFileNotLoadable);
        return false;
    }
    int line = 0;
    std::string current;
    bool pending = false;
    for (size_t at = 0; at < text.size() && line < kLineFileLines; ++at) {
        const char c = text[at];
        if (c == '\n') {
            if (!current.empty() && current.back() == '\r') current.pop_back();
            lf.lines[line] = CutLine(current);
            lf.lastLine = line++;
            current.clear();
            pending = false;
        } else {
            // Bounded: a line over the limit keeps only what is ever used.
            if (current.size() <= static_cast<size_t>(kLineFileLineBytes)) current += c;
            pending = true;
        }
    }
    if (pending && line < kLineFileLines) {
        lf.lines[line] = CutLine(current);
        lf.lastLine = line;
    }
    return true;
}

// A line number inside 0..255, or -1 (with end code 7).
int CheckedLine(Number line) {
    const int32_t i = ToInt(line);
    if (i < 0 || i >= kLineFileLines) {
        RaiseRuntimeError(kEndStorageMissing);
        return -1;
    }
    return i;
}

bool IsTrailingByte(unsigned char c) { return c < 32 || c >= 128; }

// ---------------------------------------------------------------------------
// Safe writes

std::string& LastFailure() {
    static std::string reason;
    return reason;
}

// The name a write through `path` replaces: links are followed to the end of their
// chain, which may be a name that does not exist yet. 0, or the errno of the failure.
int FinalTarget(const std::string& path, std::string& target) {
    constexpr int kMaxLinkHops = 40;
    target = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode)) return 0;
        std::string link(4096, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0) return errno;
        if (n == 0 || static_cast<size_t>(n) == link.size()) return ENAMETOOLONG;
        link.resize(static_cast<size_t>(n));
        const size_t slash = target.rfind('/');
        target = link[0] == '/' || slash == std::string::npos ? link : target.substr(0, slash + 1) + link;
    }
    return ELOOP;
}

// The process id in a temporary name of WriteFileAtomically (".name.tmpPID_N"), or 0.
pid_t WriterOfTemporary(std::string_view name) {
    auto digits = [](std::string_view d) {
        return !d.empty() && d.size() <= 10 &&
               std::all_of(d.begin(), d.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    const size_t mark = name.rfind(".tmp");
    if (name.empty() || name[0] != '.' || mark == std::string_view::npos || mark < 2) return 0;
    const std::string_view rest = name.substr(mark + 4);
    const size_t underscore = rest.find('_');
    if (underscore == std::string_view::npos || !digits(rest.substr(0, underscore)) ||
        !digits(rest.substr(underscore + 1)))
        return 0;
    const long long pid = std::stoll(std::string(rest.substr(0, underscore)));
    return pid > 0 && pid <= std::numeric_limits<pid_t>::max() ? static_cast<pid_t>(pid) : 0;
}

// A writer killed part way leaves its temporary file behind; once its process is
// gone nobody will finish or remove it.
void RemoveDeadWritersFiles(const std::string& dir) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    std::vector<std::string> stale;
    while (const dirent* e = ::readdir(d)) {
        const pid_t pid = WriterOfTemporary(e->d_name);
        if (pid != 0 && pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH) stale.emplace_back(e->d_name);
    }
    ::closedir(d);
    for (const auto& name : stale) {
        const std::string file = JoinPath(dir, name);
        struct stat st {};
        if (::lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(file.c_str());
    }
}

bool WriteAll(int fd, std::string_view bytes, off_t at) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, at + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes `bytes` over the file's own contents. 0 or the errno of the failure;
// `touched` tells whether the file may already have changed.
int RewriteInPlace(const std::string& target, std::string_view bytes, bool& touched) {
    touched = false;
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return errno;
    // Claiming the room first makes a full disk fail before any byte changes.
    if (!bytes.empty() && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size())) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS) {
        const int err = errno;
        ::close(fd);
        return err;
    }
    touched = true;
    if (!WriteAll(fd, bytes, 0) || ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        return err;
    }
    return ::close(fd) != 0 ? errno : 0;
}

}  // namespace

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Names, directories and deletion

bool ReadRegularFile(const std::string& path, size_t maxBytes, std::string& bytes) {
    return ReadRegular(path, maxBytes, bytes);
}

bool ReadRegularFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes) {
    return ReadRegular(path, maxBytes, bytes);
}

bool ResolveFile(const StrValue& name, StrValue& resolved) {
    const std::string original = name.Std();
    resolved = name;
    if (original.empty()) return false;
    if (IsReadableFile(original)) return true;
    const std::string found = FindLoosely(original, false);
    if (found.empty()) return false;
    resolved = StrValue(found);
    return true;
}

Number FileExists(const StrValue& name) {
    StrValue resolved;
    return ResolveFile(name, resolved) ? 1 : 0;
}

void DeleteFileText(const StrValue& name) {
    StrValue resolved;
    if (ResolveFile(name, resolved)) std::remove(resolved.CText());
}

StrValue GetCurrentDir() { return StrValue(CurrentDirectory()); }

// Where an install keeps the program's own media, relative to the program's folder.
#ifndef ZV_OWN_MEDIA_FROM_PROGRAM
#define ZV_OWN_MEDIA_FROM_PROGRAM "../share/zentrovel/"
#endif

StrValue OwnMediaFile(const StrValue& name) {
    const std::string beside = GetPlatform().ProgramDirectory();
    const std::string installed =
        std::filesystem::path(beside + ZV_OWN_MEDIA_FROM_PROGRAM).lexically_normal().string();
    for (const std::string& dir : {beside, installed}) {
        if (IsReadableFile(dir + name.Std())) return StrValue(dir + name.Std());
    }
    const std::string text = "Media file \"" + name.Std() + "\" missing: looked in " +
                             (beside.empty() ? "./" : beside) + " and " + installed;
    std::fprintf(stderr, "Zentrovel: %s\n", text.c_str());
    AppendErrorLog(text);
    return name;
}

Number SetCurrentDir(const StrValue& path) {
    if (path.Empty()) return 0;
    if (::chdir(path.CText()) == 0) return 1;
    const std::string found = FindLoosely(path.Std(), true);
    return !found.empty() && ::chdir(found.c_str()) == 0 ? 1 : 0;
}

std::string PathForWriting(const StrValue& name) {
    StrValue resolved;
    if (ResolveFile(name, resolved)) return MakeAbsolute(resolved.Std());
    std::string path = name.Std();
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        const std::string dir = path.substr(0, slash);
        if (!IsDirectory(dir)) {
            const std::string found = FindLoosely(dir, true);
            if (!found.empty()) path = found + path.substr(slash);
        }
    }
    return MakeAbsolute(path);
}

// ---------------------------------------------------------------------------
// The line file

StrValue ReadFileLine(const StrValue& file, Number line) {
    const int i = CheckedLine(line);
    if (i < 0) return "NO_DATA";
    if (!OpenLineFile(file)) return "NO_FILE";
    const LineFile& lf = Lines();
    if (i > lf.lastLine) return "NO_DATA";
    std::string_view text = lf.lines[i];
    while (!text.empty() && IsTrailingByte(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    if (text.empty()) return "NO_DATA";
    return StrValue(text);
}

Number ReadFileLineNumber(const StrValue& file, Number line) {
    const StrValue text = ReadFileLine(file, line);
    if (text == "NO_DATA" || text == "NO_FILE") return 0;
    return TextToNumber(text);
}

void WriteFileLine(const StrValue& file, Number line, const StrValue& text) {
    const int i = CheckedLine(line);
    if (i < 0) return;
    OpenLineFile(file);
    LineFile& lf = Lines();
    lf.unreadable = false;
    lf.lines[i] = CutLine(text.View());
    if (i > lf.lastLine) lf.lastLine = i;
    lf.dirty = true;
}

bool FlushLineFile() { return WriteBackLines(); }

bool CloseLineFile() {
    const bool ok = WriteBackLines();
    EmptyLineCache();
    return ok;
}

// ---------------------------------------------------------------------------
// Safe writes

std::string LastWriteFailure() { return LastFailure(); }

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    auto failFor = [&](const std::string& tmp, const std::string& reason) {
        if (!tmp.empty()) ::unlink(tmp.c_str());
        LastFailure() = reason;
        AppendErrorLog(StrValue("File not written: " + path + " (" + reason + ")"));
        return false;
    };
    auto fail = [&](const std::string& tmp, int err) { return failFor(tmp, std::strerror(err)); };
    if (path.empty()) return fail({}, ENOENT);

    // Replace what a link points to, not the link itself.
    std::string target;
    if (const int err = FinalTarget(path, target); err != 0) return fail({}, err);
    struct stat st {};
    const bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode)) return fail({}, EISDIR);
    // A device or FIFO is never swapped for a file.
    if (existed && !S_ISREG(st.st_mode)) return failFor({}, "Not a regular file");
    // Renaming needs only the folder's permission; the file's own must hold as well.
    if (existed && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return fail({}, errno);

    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    RemoveDeadWritersFiles(dir);

    static unsigned counter = 0;
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = JoinPath(dir, "." + base + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return fail({}, errno);
    }
    if (fd < 0) return fail({}, EEXIST);

    if (existed) {
        // Ownership first: changing it clears the set-id bits the mode then restores.
        // Where the owner cannot be kept, the group still may be.
        if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) && ::fchown(fd, st.st_uid, st.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
        ::fchmod(fd, st.st_mode & 07777);
    }
    if (!WriteAll(fd, bytes, 0) || ::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        return fail(tmp, err);
    }
    if (::close(fd) != 0) return fail(tmp, errno);

    if (existed && st.st_nlink > 1) {
        // A rename would part this name from the file's other names. The flushed copy
        // stays until the file holds the same bytes, so a failure part way loses nothing.
        bool touched = false;
        if (const int err = RewriteInPlace(target, bytes, touched); err != 0) {
            if (!touched) return fail(tmp, err);
            LastFailure() = std::strerror(err);
            AppendErrorLog(
                StrValue("File not written: " + path + " (" + LastFailure() + "); its new contents are in " + tmp));
            return false;
        }
        ::unlink(tmp.c_str());
    } else if (::rename(tmp.c_str(), target.c_str()) != 0) {
        return fail(tmp, errno);
    }

    // Make the rename itself survive a crash.
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    LastFailure().clear();
    return true;
}
