// PeImage: the header fields and DLL imports of a PE file (32- or 64-bit), read from its
// bytes; nothing is loaded or run.
#ifndef ZSTARTUP_TESTS_HARNESS_PEIMAGE_H
#define ZSTARTUP_TESTS_HARNESS_PEIMAGE_H

#include <windows.h>

#include <string>
#include <vector>

class PeImage {
public:
    // Parses bytes; Valid() tells whether they hold a well-formed PE image.
    explicit PeImage(std::string bytes);

    bool Valid() const { return file_ != nullptr; }
    WORD Machine() const { return file_->Machine; }
    WORD Subsystem() const { return subsystem_; }
    // Names of the DLLs of the import and the delay-load import directories, in file order.
    // A name or descriptor outside the file ends the list with "<out of file>".
    std::vector<std::string> ImportedDlls() const;
    // Names of the functions imported by name from dll (compared without case) through the
    // import directory; empty when it imports none.
    std::vector<std::string> ImportedFunctions(const std::string& dll) const;

private:
    // File bytes at a relative virtual address holding size bytes; null when outside any
    // section or the file.
    const char* AtRva(DWORD rva, DWORD size) const;
    void AppendNames(DWORD directory, DWORD descriptorSize, DWORD nameOffset, std::vector<std::string>* names) const;

    std::string bytes_;
    const IMAGE_FILE_HEADER* file_ = nullptr;
    const IMAGE_SECTION_HEADER* sections_ = nullptr;
    const IMAGE_DATA_DIRECTORY* directories_ = nullptr;
    DWORD directoryCount_ = 0;
    WORD subsystem_ = 0;
    bool pe64_ = false;
};

#endif
