// Files for tests: a fresh, uniquely named directory under the system's temporary
// directory, removed with everything in it at the end (test runs that share a machine
// never meet), and whole-file reads.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>

// The file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TTempDir {
 public:
  explicit TTempDir(const std::string& prefix = "ambrel") {
#ifdef _WIN32
    // No mkdtemp: a random name, made only when it is new.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && FPath.empty(); ++attempt) {
      const auto path = std::filesystem::temp_directory_path() / (prefix + "_" + std::to_string(random()));
      if (std::filesystem::create_directory(path)) FPath = path;
    }
    if (FPath.empty()) throw std::runtime_error("no temporary directory for " + prefix);
#else
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "_XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
    FPath = pattern;
#endif
  }
  ~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  std::string operator/(const std::string& name) const { return (FPath / name).string(); }
  // Writes bytes into the file name inside the directory; returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string file = *this / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

 private:
  std::filesystem::path FPath;
};
