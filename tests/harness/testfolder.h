// TestFolder: a fresh, uniquely named folder under the temporary directory, removed with
// everything in it when the object goes. Names given to its operations are relative to it.
#ifndef ZSTARTUP_TESTS_HARNESS_TESTFOLDER_H
#define ZSTARTUP_TESTS_HARNESS_TESTFOLDER_H

#include <string>

class TestFolder {
public:
    // The folder is created as <temp>\zst-<pid>-<n><suffix>; suffix may hold backslashes to
    // nest it (each level is created).
    explicit TestFolder(const std::string& suffix = "");
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;  // owns the folder on disk
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string PathOf(const std::string& name) const { return path_ + "\\" + name; }

    // Each of these fails the current test (ADD_FAILURE) when the platform call fails.
    void MakeFolder(const std::string& name) const;
    void Write(const std::string& name, const std::string& bytes) const;
    // Copies a file that lies beside the test program into the folder under name.
    void CopyFromBin(const std::string& binName, const std::string& name) const;

    bool Exists(const std::string& name) const;
    // The file's bytes; empty when it cannot be read.
    std::string Read(const std::string& name) const;

private:
    std::string root_;  // first level created, removed whole
    std::string path_;
};

// The bytes of the file at path; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
std::string ReadFileBytes(const std::wstring& path);

// Full path of a file beside the running test program.
std::string BesideThisProgram(const std::string& name);

#endif
