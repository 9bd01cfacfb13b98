#include "tests/harness/peimage.h"

#include <cstring>
#include <utility>

namespace {

// The optional header's fields this class reads, for either layout.
template <typename OptionalHeader>
void ReadOptional(const char* at, WORD* subsystem, const IMAGE_DATA_DIRECTORY** directories, DWORD* count)
{
    const auto* optional = reinterpret_cast<const OptionalHeader*>(at);
    *subsystem = optional->Subsystem;
    *directories = optional->DataDirectory;
    *count = optional->NumberOfRvaAndSizes < IMAGE_NUMBEROF_DIRECTORY_ENTRIES ? optional->NumberOfRvaAndSizes
                                                                              : IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
}

}  // namespace

PeImage::PeImage(std::string bytes) : bytes_(std::move(bytes))
{
    if (bytes_.size() < sizeof(IMAGE_DOS_HEADER)) return;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes_.data());
    const size_t fileHeaderAt = static_cast<size_t>(dos->e_lfanew) + sizeof(DWORD);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0 ||
        fileHeaderAt + sizeof(IMAGE_FILE_HEADER) + sizeof(IMAGE_OPTIONAL_HEADER64) > bytes_.size() ||
        memcmp(bytes_.data() + dos->e_lfanew, "PE\0\0", 4) != 0) {
        return;
    }
    const auto* file = reinterpret_cast<const IMAGE_FILE_HEADER*>(bytes_.data() + fileHeaderAt);
    const char* optional = bytes_.data() + fileHeaderAt + sizeof(IMAGE_FILE_HEADER);
    WORD magic = 0;
    memcpy(&magic, optional, sizeof magic);
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        ReadOptional<IMAGE_OPTIONAL_HEADER32>(optional, &subsystem_, &directories_, &directoryCount_);
    } else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        ReadOptional<IMAGE_OPTIONAL_HEADER64>(optional, &subsystem_, &directories_, &directoryCount_);
        pe64_ = true;
    } else {
        return;
    }
    const size_t sectionsAt = fileHeaderAt + sizeof(IMAGE_FILE_HEADER) + file->SizeOfOptionalHeader;
    if (sectionsAt + file->NumberOfSections * sizeof(IMAGE_SECTION_HEADER) > bytes_.size()) return;
    sections_ = reinterpret_cast<const IMAGE_SECTION_HEADER*>(bytes_.data() + sectionsAt);
    file_ = file;
}

const char* PeImage::AtRva(DWORD rva, DWORD size) const
{
    const IMAGE_SECTION_HEADER* section = sections_;
    for (WORD i = 0; i < file_->NumberOfSections; ++i, ++section) {
        DWORD begin = section->VirtualAddress;
        if (rva < begin || rva - begin >= section->SizeOfRawData || size > section->SizeOfRawData - (rva - begin))
            continue;
        size_t offset = static_cast<size_t>(section->PointerToRawData) + (rva - begin);
        if (offset + size > bytes_.size()) return nullptr;
        return bytes_.data() + offset;
    }
    return nullptr;
}

void PeImage::AppendNames(DWORD directory, DWORD descriptorSize, DWORD nameOffset,
                          std::vector<std::string>* names) const
{
    if (directory >= directoryCount_) return;
    DWORD rva = directories_[directory].VirtualAddress;
    if (rva == 0) return;
    for (;; rva += descriptorSize) {
        const char* descriptor = AtRva(rva, descriptorSize);
        if (descriptor == nullptr) {
            names->push_back("<out of file>");
            return;
        }
        DWORD nameRva = 0;
        memcpy(&nameRva, descriptor + nameOffset, sizeof nameRva);
        if (nameRva == 0) return;  // the all-zero descriptor ends the table
        const char* name = AtRva(nameRva, 1);
        size_t room = name == nullptr ? 0 : bytes_.data() + bytes_.size() - name;
        if (name == nullptr || memchr(name, '\0', room) == nullptr) {
            names->push_back("<out of file>");
            return;
        }
        names->push_back(name);
    }
}

std::vector<std::string> PeImage::ImportedDlls() const
{
    std::vector<std::string> names;
    AppendNames(IMAGE_DIRECTORY_ENTRY_IMPORT, sizeof(IMAGE_IMPORT_DESCRIPTOR), offsetof(IMAGE_IMPORT_DESCRIPTOR, Name),
                &names);
    // Delay-load descriptors: attributes, then the name's address.
    AppendNames(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT, 32, 4, &names);
    return names;
}

std::vector<std::string> PeImage::ImportedFunctions(const std::string& dll) const
{
    std::vector<std::string> functions;
    if (IMAGE_DIRECTORY_ENTRY_IMPORT >= directoryCount_) return functions;
    const DWORD thunkSize = pe64_ ? 8 : 4;
    for (DWORD rva = directories_[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress; rva != 0;
         rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* descriptor =
            reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(AtRva(rva, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
        if (descriptor == nullptr || descriptor->Name == 0) break;
        const char* name = AtRva(descriptor->Name, static_cast<DWORD>(dll.size() + 1));
        if (name == nullptr || _stricmp(name, dll.c_str()) != 0) continue;
        DWORD thunks = descriptor->OriginalFirstThunk != 0 ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
        for (;; thunks += thunkSize) {
            const char* thunk = AtRva(thunks, thunkSize);
            if (thunk == nullptr) break;
            ULONGLONG value = 0;
            memcpy(&value, thunk, thunkSize);
            if (value == 0) break;
            const ULONGLONG byOrdinal = pe64_ ? IMAGE_ORDINAL_FLAG64 : IMAGE_ORDINAL_FLAG32;
            if (value & byOrdinal) continue;
            const char* hintName = AtRva(static_cast<DWORD>(value), 3);
            if (hintName == nullptr) break;
            size_t room = bytes_.data() + bytes_.size() - (hintName + 2);
            if (memchr(hintName + 2, '\0', room) == nullptr) break;
            functions.push_back(hintName + 2);
        }
    }
    return functions;
}
