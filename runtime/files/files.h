// Files: name resolution, small file services, the cached line file and safe writes.
//
// Every loader passes its file name through ResolveFile first, so levels made on
// other systems (names with "\" and in another letter case) still find their media.
// The line file is one process-wide cache of one text file of at most 256 lines of
// at most 1023 bytes; it is written back, whole, when another file is cached, when
// flushed and at program end (registered as a shutdown step).
//
// Failures are not thrown: end code 3 (file not loadable) and 7 (line number out of
// range) are recorded through RaiseRuntimeError and the sentinels "NO_DATA" and
// "NO_FILE" are returned. Failed writes leave the old file untouched and add a line
// to the error log.
//
// Dependencies: runtime/frame (strvalue, program), runtime/platform (the program's folder).
#pragma once

#include <cstddef>       // Required for: size_t
#include <cstdint>       // Required for: uint8_t
#include <string>        // Required for: std::string
#include <string_view>   // Required for: std::string_view
#include <vector>        // Required for: std::vector

#include "runtime/frame/strvalue.h"   // Required for: Number, StrValue

// Line numbers of the line file run from 0 to kLineFileLines - 1.
constexpr int kLineFileLines = 256;
// Longer lines and texts are cut to this many bytes.
constexpr int kLineFileLineBytes = 1023;

// The most each reader takes from one file; a larger file is one that cannot be read.
constexpr size_t kMaxIniFileBytes = size_t(64) << 20;
constexpr size_t kMaxLineFileBytes = size_t(16) << 20;
constexpr size_t kMaxModelFileBytes = size_t(128) << 20;
constexpr size_t kMaxPictureFileBytes = size_t(512) << 20;

// Reads a whole regular file of at most `maxBytes` bytes. A FIFO, device, socket or
// directory is refused without waiting on it, as is a larger file; false then, and
// also when the file cannot be opened or read.
bool ReadRegularFile(const std::string& path, size_t maxBytes, std::string& bytes);
bool ReadRegularFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes);

// Finds the file a name refers to. Succeeds with the name unchanged when it can be
// opened for reading; otherwise tries "\" as "/" and then each path component
// without regard to letter case, and succeeds when exactly one file matches.
// On failure (also for an empty name) `resolved` is the unchanged name.
bool ResolveFile(const StrValue& name, StrValue& resolved);

// 1 when the name resolves to a file that can be opened for reading, else 0.
Number FileExists(const StrValue& name);
// Deletes the file; failure is ignored.
void DeleteFileText(const StrValue& name);
// The current directory, always ending with "/".
StrValue GetCurrentDir();
// Changes the current directory (names resolve like files); 1 on success, else 0.
Number SetCurrentDir(const StrValue& path);

// The program's own media (its fonts, pointers and sky): the file beside the program,
// else the one in ../share/zentrovel/ beside it, where an install keeps them. A file in
// neither place is named on standard error and in the error log, and the name comes back
// unchanged, so its loader fails as for any other missing file.
StrValue OwnMediaFile(const StrValue& name);

// Line `line` of the file without its line end and trailing control bytes;
// "NO_DATA" for an empty or missing line (end code 7 when out of range),
// "NO_FILE" when the file cannot be read (end code 3).
StrValue ReadFileLine(const StrValue& file, Number line);
// The line read as a number; the sentinels give 0.
Number ReadFileLineNumber(const StrValue& file, Number line);
// Stores the text as line `line` of the cached file (a missing file starts empty);
// the file is written at the next change of file, a flush or program end.
// Out-of-range line numbers record end code 7 and change nothing.
void WriteFileLine(const StrValue& file, Number line, const StrValue& text);
// Writes the cached file back if it was changed and keeps it cached. True when it
// was written or nothing needed writing.
bool FlushLineFile();
// Flushes, then empties the cache; the result is that of the flush.
bool CloseLineFile();

// Replaces the file at `path` with `bytes` without ever leaving a half-written
// file: writes a temporary file in the same directory, flushes it to disk and
// renames it over the target, with the target's mode and, where this process may
// set it, its owner. A link is written through to the file it names (created when
// missing). A file with several names is rewritten in place from the flushed
// temporary copy, so its names stay one file. A target this process may not write
// fails like any other failed write: the old file stays as it was, a line goes to
// the error log and the result is false. Temporary files of writers that died
// are removed from the folder on the way.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
// Why the latest safe write failed ("Permission denied"); empty after a success.
std::string LastWriteFailure();

// Names and keys compare without regard to ASCII letter case.
bool SameIgnoringCase(std::string_view a, std::string_view b);

// The path a document named `name` is written to: the resolved file when it
// exists, else the name with "\" as "/" and its directory resolved like a file
// name, made absolute so a later change of the current directory does not move it.
std::string PathForWriting(const StrValue& name);
