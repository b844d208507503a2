// The INI document: one process-wide, in-memory copy of one INI file.
//
// IniOpen parses a whole file into sections of key/value pairs; IniGet and IniPut
// work on the memory copy; a changed document is written back, whole and safely
// (see WriteFileAtomically), on the next IniOpen, on IniWrite and at program end
// (registered as a shutdown step). Section names and keys compare without regard
// to ASCII letter case; values are kept byte for byte.
//
// Dependencies: runtime/frame (strvalue, program), runtime/files/files.
#pragma once

#include <string>        // Required for: std::string
#include <string_view>   // Required for: std::string_view

#include "runtime/frame/strvalue.h"   // Required for: StrValue

// Writes back a changed document, then reads `file` (resolved like every file
// name). A missing or unreadable file gives an empty document that is written to
// that name once changed. The empty name only writes back and leaves an empty,
// nameless document. IniLastWriteOk tells whether the write-back succeeded.
void IniOpen(const StrValue& file);
// The value of `key` in the first section named `section`; "NO_DATA" if missing.
StrValue IniGet(const StrValue& section, const StrValue& key);
// Sets the key in the first section of that name (the section and the key are
// appended when missing). An empty key removes the first section of that name; the
// last section takes its place. Line ends in a value cut it there, since the file
// could not hold them.
void IniPut(const StrValue& section, const StrValue& key, const StrValue& value);
// Writes the document back if it was changed and has a file name. True when it was
// written or nothing needed writing, false when a needed write failed.
bool IniWrite();
// The result of the latest write-back (by IniOpen, IniWrite or the shutdown);
// true when nothing needed writing.
bool IniLastWriteOk();

// The bytes a write-back produces for the current document.
std::string IniDocumentText();
// Replaces the document with one parsed from `bytes`, as IniOpen would from a
// file, without a file name (so it is never written). Writes back a changed
// document first, like IniOpen.
void IniOpenText(std::string_view bytes);
