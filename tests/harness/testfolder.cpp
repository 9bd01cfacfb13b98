#include "tests/harness/testfolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/harness/widetext.h"

namespace {

// Best effort: a batch file started by the launcher may still hold a file for a moment.
void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

void CreateFolder(const std::string& path)
{
    if (!CreateDirectoryW(Wide(path).c_str(), nullptr))
        ADD_FAILURE() << "CreateDirectory " << path << " failed: " << GetLastError();
}

}  // namespace

TestFolder::TestFolder(const std::string& suffix)
{
    static int counter = 0;
    char temp[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof temp, temp);
    const std::string base = std::string(temp, length) + "zst-" + std::to_string(GetCurrentProcessId()) + "-";
    size_t firstLevelEnd = suffix.find('\\');
    // Process ids come back: a folder an earlier process of this id could not remove (a batch
    // file still running in it) is left alone, and the next number taken.
    const int kTries = 100;
    for (int attempt = 1;; ++attempt) {
        root_ = base + std::to_string(++counter) + suffix.substr(0, firstLevelEnd);
        if (CreateDirectoryW(Wide(root_).c_str(), nullptr)) break;
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS && attempt < kTries) continue;
        ADD_FAILURE() << "CreateDirectory " << root_ << " failed: " << error;
        break;
    }
    path_ = root_;
    while (firstLevelEnd != std::string::npos) {
        size_t next = suffix.find('\\', firstLevelEnd + 1);
        path_ += suffix.substr(firstLevelEnd, next - firstLevelEnd);
        CreateFolder(path_);
        firstLevelEnd = next;
    }
}

TestFolder::~TestFolder() { RemoveTree(Wide(root_)); }

void TestFolder::MakeFolder(const std::string& name) const { CreateFolder(PathOf(name)); }

void TestFolder::Write(const std::string& name, const std::string& bytes) const
{
    HANDLE file = CreateFileW(Wide(PathOf(name)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot create " << PathOf(name) << ": " << GetLastError();
        return;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) ADD_FAILURE() << "cannot write " << PathOf(name);
}

void TestFolder::CopyFromBin(const std::string& binName, const std::string& name) const
{
    if (!CopyFileW(Wide(BesideThisProgram(binName)).c_str(), Wide(PathOf(name)).c_str(), FALSE))
        ADD_FAILURE() << "cannot copy " << binName << " to " << PathOf(name) << ": " << GetLastError();
}

bool TestFolder::Exists(const std::string& name) const
{
    return GetFileAttributesW(Wide(PathOf(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TestFolder::Read(const std::string& name) const { return ReadFileBytes(PathOf(name)); }

std::string ReadFileBytes(const std::string& path) { return ReadFileBytes(Wide(path)); }

std::string ReadFileBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

std::string BesideThisProgram(const std::string& name)
{
    char path[1024];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return name;
    std::string self(path, length);
    return self.substr(0, self.rfind('\\') + 1) + name;
}
