#include "support/tempdir.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace pinwright::testing {

TempDir::TempDir() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate =
        std::filesystem::temp_directory_path() / ("pinwright-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      Root = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::remove_all(Root, error);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> SortedFileNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(Utf8FromPath(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<TargetCase> AllTargetKinds() {
  return {
      {"regular file", TargetKind::Regular, true, ""},
      {"write-protected file", TargetKind::ReadOnly, false, "the file is write-protected"},
      {"link to a file", TargetKind::LinkToRegular, true, ""},
      {"dangling link", TargetKind::DanglingLink, true, ""},
      {"folder", TargetKind::Folder, false, "Is a directory"},
      {"FIFO", TargetKind::Fifo, false, "it is not a regular file"},
      {"device", TargetKind::Device, false, "it is not a regular file"},
      {"socket", TargetKind::Socket, false, "it is not a regular file"},
  };
}

bool MakeTarget(TargetKind kind, const std::string& path) {
  const std::filesystem::path target = PathFromUtf8(path);
  const std::filesystem::path real = target.parent_path() / "real";
  std::error_code error;
  switch (kind) {
    case TargetKind::Regular:
    case TargetKind::ReadOnly:
      WriteFile(path, "old");
      std::filesystem::permissions(
          target,
          kind == TargetKind::Regular ? std::filesystem::perms(0640) : std::filesystem::perms(0444),
          error);
      return !error;
    case TargetKind::LinkToRegular:
    case TargetKind::DanglingLink:
      std::filesystem::create_directories(real);
      if (kind == TargetKind::LinkToRegular)
        WriteFile(Utf8FromPath(real / "file"), "old");
      // Windows lets only some users make links.
      std::filesystem::create_symlink(real / "file", target, error);
      return !error;
    case TargetKind::Folder:
      return std::filesystem::create_directory(target);
    case TargetKind::Fifo:
    case TargetKind::Device:
    case TargetKind::Socket:
      return MakeSpecialFile(kind, path);
  }
  return false;
}

std::string WrittenFileOf(TargetKind kind, const std::string& path) {
  if (kind == TargetKind::LinkToRegular || kind == TargetKind::DanglingLink)
    return Utf8FromPath(PathFromUtf8(path).parent_path() / "real" / "file");
  return path;
}

}  // namespace pinwright::testing
