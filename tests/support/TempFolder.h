#pragma once

#include <string>

// A scratch folder for one test, removed with everything in it when the test ends.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::string &path() const { return m_path; }
    std::string file(const std::string &name) const;
    // Writes `bytes` exactly as given (no line-end translation) and returns the path.
    std::string write(const std::string &name, const std::string &bytes) const;
    // Writes `bytes` to any path; false when the file cannot be written whole.
    static bool writeTo(const std::string &path, const std::string &bytes);

private:
    std::string m_path;
};

// The whole content of a file, or "<missing>" when it cannot be read.
std::string readBytes(const std::string &path);
bool fileExists(const std::string &path);
// Joins lines with CR LF after each, the way the program writes files.
std::string crlf(std::initializer_list<std::string> lines);
