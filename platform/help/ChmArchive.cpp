#include "platform/help/ChmArchive.h"

#include <chm_lib.h>

#include <cstdint>
#include <cstring>

namespace foliant::help {

namespace {

std::string Absolute(const std::string& name) {
    return !name.empty() && name.front() == '/' ? name : "/" + name;
}

// The compiler's bookkeeping: "/#SYSTEM", "/$FIftiMain", "::DataSpace/...", folders.
bool IsProjectFile(const std::string& path) {
    return path.size() > 1 && path.front() == '/' && path[1] != '#' && path[1] != '$' &&
           path.back() != '/';
}

int CollectFile(chmFile*, chmUnitInfo* unit, void* context) {
    std::string path(unit->path);
    if (IsProjectFile(path)) {
        static_cast<std::vector<std::string>*>(context)->push_back(std::move(path));
    }
    return CHM_ENUMERATOR_CONTINUE;
}

std::uint16_t Word(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// The zero-terminated text of a record entry.
std::string EntryText(const std::string& bytes, std::size_t at, std::size_t length) {
    return std::string(bytes.c_str() + at, ::strnlen(bytes.c_str() + at, length));
}

} // namespace

ChmArchive::ChmArchive(const std::string& path) : path_(path), file_(::chm_open(path.c_str())) {
    if (file_ == nullptr) {
        throw HelpFileError("The help file " + path +
                            " cannot be opened: it is missing or not a compiled help file.");
    }
    ReadSystemRecord();
}

ChmArchive::~ChmArchive() {
    ::chm_close(file_);
}

std::optional<std::string> ChmArchive::Read(const std::string& name) const {
    chmUnitInfo unit{};
    if (::chm_resolve_object(file_, Absolute(name).c_str(), &unit) != CHM_RESOLVE_SUCCESS) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(unit.length), '\0');
    const LONGINT64 read = ::chm_retrieve_object(
        file_, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0, unit.length);
    if (read != static_cast<LONGINT64>(unit.length)) {
        return std::nullopt;
    }
    return bytes;
}

bool ChmArchive::Contains(const std::string& name) const {
    chmUnitInfo unit{};
    return ::chm_resolve_object(file_, Absolute(name).c_str(), &unit) == CHM_RESOLVE_SUCCESS;
}

std::vector<std::string> ChmArchive::Files() const {
    std::vector<std::string> files;
    ::chm_enumerate(file_, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, CollectFile, &files);
    return files;
}

// The record is a version word pair, then entries of a code word, a length word and that many
// bytes.
void ChmArchive::ReadSystemRecord() {
    const auto record = Read("/#SYSTEM");
    if (!record) {
        return;
    }
    const std::string& bytes = *record;
    for (std::size_t at = 4; at + 4 <= bytes.size();) {
        const std::uint16_t code = Word(bytes, at);
        const std::size_t length = Word(bytes, at + 2);
        at += 4;
        if (at + length > bytes.size()) {
            break;
        }
        switch (code) {
        case 0:
            contentsFile_ = EntryText(bytes, at, length);
            break;
        case 1:
            indexFile_ = EntryText(bytes, at, length);
            break;
        case 2:
            defaultTopic_ = EntryText(bytes, at, length);
            break;
        case 3:
            title_ = EntryText(bytes, at, length);
            break;
        default:
            break;
        }
        at += length;
    }
}

} // namespace foliant::help
