#pragma once

// Reading a compiled help file (.chm): the files stored in it and the project settings the
// compiler recorded (title, default topic, contents and index files). Needs no display and no
// toolkit; the help viewer and the help files' own tests read help files through it.

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct chmFile;

namespace foliant::help {

// A help file that cannot be read; what() names the file and the problem.
class HelpFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ChmArchive {
public:
    // Opens the help file at path. Throws HelpFileError when the file is missing or is not a
    // compiled help file.
    explicit ChmArchive(const std::string& path);
    ~ChmArchive();
    ChmArchive(const ChmArchive&) = delete;
    ChmArchive& operator=(const ChmArchive&) = delete;

    const std::string& Path() const { return path_; }

    // The bytes of a stored file ("overview.htm", "/images/a.png"; a leading "/" is optional),
    // or nullopt when the help file holds no such file or it cannot be read.
    std::optional<std::string> Read(const std::string& name) const;
    bool Contains(const std::string& name) const;

    // The topics and other files the help project put in, as "/name" paths in stored order;
    // the compiler's own bookkeeping files are left out.
    std::vector<std::string> Files() const;

    // From the compiler's record of the project; "" when it recorded none.
    const std::string& Title() const { return title_; }
    const std::string& DefaultTopic() const { return defaultTopic_; }
    const std::string& ContentsFile() const { return contentsFile_; }
    const std::string& IndexFile() const { return indexFile_; }

private:
    void ReadSystemRecord();

    std::string path_;
    chmFile* file_ = nullptr;
    std::string title_;
    std::string defaultTopic_;
    std::string contentsFile_;
    std::string indexFile_;
};

} // namespace foliant::help
