#pragma once
// A fresh folder for one test, removed afterwards; optionally the current folder
// while the test runs (the program reads and writes relative to it).
#include <filesystem>
#include <string>

class TempFolder {
public:
    explicit TempFolder(bool makeCurrent = false);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
    std::filesystem::path m_previous;
};

// Whole-file helpers for tests.
std::string gf_testReadFile(const std::filesystem::path& path);
void gf_testWriteFile(const std::filesystem::path& path, const std::string& bytes);
// Whether one whole line of the text (without its line end, LF or CR LF) reads so.
bool gf_testHasLine(const std::string& text, const std::string& line);
