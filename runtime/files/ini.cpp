// The INI document: one process-wide, in-memory copy of one INI file.
#include "runtime/files/ini.h"

#include <vector>

#include "runtime/files/files.h"     // Required for: ResolveFile, ReadRegularFile, PathForWriting, WriteFileAtomically
#include "runtime/frame/program.h"   // Required for: AddShutdownStep

namespace {

constexpr size_t kMaxLineBytes = 1023;

struct IniEntry {
    std::string key;
    std::string value;
};

struct IniSection {
    std::string name;
    std::vector<IniEntry> entries;
};

struct IniDocument {
    std::vector<IniSection> sections;   // in file order; a name may occur more than once
    std::string fileName;               // where a write-back goes; empty when none
    bool dirty = false;
    bool lastWriteOk = true;
    bool registered = false;
};

IniDocument& Doc() {
    static IniDocument doc;
    return doc;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsTrailingByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 32 || b >= 128;
}

IniSection* FindSection(std::string_view name) {
    for (auto& s : Doc().sections) {
        if (SameIgnoringCase(s.name, name)) return &s;
    }
    return nullptr;
}

IniEntry* FindEntry(IniSection& section, std::string_view key) {
    for (auto& e : section.entries) {
        if (SameIgnoringCase(e.key, key)) return &e;
    }
    return nullptr;
}

// One line of the file, without its line end, already cut to the line limit.
void ParseLine(std::string_view line, IniSection& pending, std::vector<IniSection>& sections) {
    size_t p = 0;
    const size_t n = line.size();
    while (p < n && IsBlank(line[p])) ++p;
    if (p == n || line[p] == ';') return;

    if (line[p] == '[') {
        size_t q = p + 1;
        while (q < n && IsBlank(line[q])) ++q;
        size_t e = q;
        while (e < n && !IsBlank(line[e]) && line[e] != '=') ++e;
        if (e > q && line[e - 1] == ']') --e;
        std::string name(line.substr(q, e - q));
        if (name.empty()) name = pending.name;
        if (!pending.entries.empty()) sections.push_back(std::move(pending));
        pending = IniSection{std::move(name), {}};
        return;
    }

    size_t e = p;
    while (e < n && !IsBlank(line[e]) && line[e] != '=') ++e;
    if (e == n) return;
    size_t v = e + 1;
    while (v < n && IsBlank(line[v])) ++v;
    size_t end = n;
    while (end > v && IsTrailingByte(line[end - 1])) --end;
    if (end == v) return;
    pending.entries.push_back({std::string(line.substr(p, e - p)), std::string(line.substr(v, end - v))});
}

std::vector<IniSection> ParseText(std::string_view bytes) {
    std::vector<IniSection> sections;
    IniSection pending;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (end < bytes.size() && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        // Lines are C strings of bounded length: a NUL ends one, overlong ones are cut.
        if (const size_t nul = line.find('\0'); nul != std::string_view::npos) line = line.substr(0, nul);
        if (line.size() > kMaxLineBytes) line = line.substr(0, kMaxLineBytes);
        ParseLine(line, pending, sections);
        start = next;
    }
    if (!pending.entries.empty()) sections.push_back(std::move(pending));
    return sections;
}

bool WriteBack() {
    IniDocument& doc = Doc();
    if (!doc.dirty || doc.fileName.empty()) {
        doc.lastWriteOk = true;
        return true;
    }
    doc.lastWriteOk = WriteFileAtomically(doc.fileName, IniDocumentText());
    if (doc.lastWriteOk) doc.dirty = false;
    return doc.lastWriteOk;
}

void RegisterShutdown() {
    IniDocument& doc = Doc();
    if (doc.registered) return;
    doc.registered = true;
    AddShutdownStep("ini write-back", [] { WriteBack(); });
}

void ReplaceDocument(std::vector<IniSection> sections, std::string fileName) {
    IniDocument& doc = Doc();
    doc.sections = std::move(sections);
    doc.fileName = std::move(fileName);
    doc.dirty = false;
}

}  // namespace

void IniOpen(const StrValue& file) {
    RegisterShutdown();
    WriteBack();
    ReplaceDocument({}, {});
    if (file.Empty()) return;

    StrValue resolved;
    const bool found = ResolveFile(file, resolved);
    std::string path = PathForWriting(file);
    std::string bytes;
    if (found && ReadRegularFile(resolved.Std(), kMaxIniFileBytes, bytes)) {
        ReplaceDocument(ParseText(bytes), std::move(path));
    } else {
        ReplaceDocument({}, std::move(path));
    }
}

void IniOpenText(std::string_view bytes) {
    RegisterShutdown();
    WriteBack();
    ReplaceDocument(ParseText(bytes), {});
}

StrValue IniGet(const StrValue& section, const StrValue& key) {
    IniSection* s = FindSection(section.View());
    if (!s) return "NO_DATA";
    const IniEntry* e = FindEntry(*s, key.View());
    if (!e) return "NO_DATA";
    return StrValue(std::string_view(e->value));
}

void IniPut(const StrValue& section, const StrValue& key, const StrValue& value) {
    RegisterShutdown();
    IniDocument& doc = Doc();
    doc.dirty = true;
    if (key.Empty()) {
        for (size_t i = 0; i < doc.sections.size(); ++i) {
            if (SameIgnoringCase(doc.sections[i].name, section.View())) {
                if (i + 1 != doc.sections.size()) doc.sections[i] = std::move(doc.sections.back());
                doc.sections.pop_back();
                return;
            }
        }
        return;
    }
    IniSection* s = FindSection(section.View());
    if (!s) {
        doc.sections.push_back(IniSection{section.Std(), {}});
        s = &doc.sections.back();
    }
    std::string_view text = value.View();
    if (const size_t lf = text.find('\n'); lf != std::string_view::npos) text = text.substr(0, lf);
    if (IniEntry* e = FindEntry(*s, key.View())) {
        e->value = std::string(text);
    } else {
        s->entries.push_back({key.Std(), std::string(text)});
    }
}

bool IniWrite() { return WriteBack(); }

bool IniLastWriteOk() { return Doc().lastWriteOk; }

std::string IniDocumentText() {
    std::string out;
    for (const auto& s : Doc().sections) {
        out += '[';
        out += s.name;
        out += "]\r\n";
        for (const auto& e : s.entries) {
            out += e.key;
            out += '=';
            out += e.value;
            out += "\r\n";
        }
    }
    return out;
}
