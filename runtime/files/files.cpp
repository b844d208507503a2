// Files: name resolution, small file services, the cached line file and safe writes.
#include "runtime/files/files.h"

#include <dirent.h>      // Required for: opendir, readdir (case-insensitive lookup)
#include <fcntl.h>       // Required for: open
#include <sys/stat.h>    // Required for: stat, fstat, fchmod
#include <unistd.h>      // Required for: getcwd, chdir, write, fsync, rename

#include <array>
#include <cerrno>
#include <cstdio>        // Required for: FILE, fopen, getc
#include <cstdlib>       // Required for: realpath's buffer release
#include <cstring>       // Required for: strerror
#include <vector>

#include "runtime/frame/program.h"   // Required for: RaiseRuntimeError, AddShutdownStep, AppendErrorLog

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
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    ::close(fd);
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
    FILE* f = ResolveFile(name, resolved) ? std::fopen(resolved.CText(), "rb") : nullptr;
    if (!f) {
        lf.unreadable = true;
        RaiseRuntimeError(kEndFileNotLoadable);
        return false;
    }
    int line = 0;
    std::string current;
    bool pending = false;
    for (int c = std::getc(f); c != EOF && line < kLineFileLines; c = std::getc(f)) {
        if (c == '\n') {
            if (!current.empty() && current.back() == '\r') current.pop_back();
            lf.lines[line] = CutLine(current);
            lf.lastLine = line++;
            current.clear();
            pending = false;
        } else {
            // Bounded: a line over the limit keeps only what is ever used.
            if (current.size() <= static_cast<size_t>(kLineFileLineBytes)) current += static_cast<char>(c);
            pending = true;
        }
    }
    if (pending && line < kLineFileLines) {
        lf.lines[line] = CutLine(current);
        lf.lastLine = line;
    }
    std::fclose(f);
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

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    auto fail = [&](const std::string& tmp, int err) {
        if (!tmp.empty()) ::unlink(tmp.c_str());
        AppendErrorLog(StrValue("File not written: " + path + " (" + std::strerror(err) + ")"));
        return false;
    };
    if (path.empty()) return fail({}, ENOENT);

    // Replace what a link points to, not the link itself.
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode)) return fail({}, EISDIR);

    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

    static unsigned counter = 0;
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = JoinPath(dir, "." + base + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return fail({}, errno);
    }
    if (fd < 0) return fail({}, EEXIST);

    if (existed) ::fchmod(fd, st.st_mode & 07777);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            return fail(tmp, err);
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        return fail(tmp, err);
    }
    if (::close(fd) != 0) return fail(tmp, errno);
    if (::rename(tmp.c_str(), target.c_str()) != 0) return fail(tmp, errno);

    // Make the rename itself survive a crash.
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}
