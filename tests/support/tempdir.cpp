#include "support/tempdir.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

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
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> SortedFileNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
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
  const std::filesystem::path real = std::filesystem::path(path).parent_path() / "real";
  switch (kind) {
    case TargetKind::Regular:
    case TargetKind::ReadOnly:
      WriteFile(path, "old");
      return chmod(path.c_str(), kind == TargetKind::Regular ? 0640 : 0444) == 0;
    case TargetKind::LinkToRegular:
    case TargetKind::DanglingLink:
      std::filesystem::create_directories(real);
      if (kind == TargetKind::LinkToRegular)
        WriteFile((real / "file").string(), "old");
      return symlink((real / "file").c_str(), path.c_str()) == 0;
    case TargetKind::Folder:
      return std::filesystem::create_directory(path);
    case TargetKind::Fifo:
      return mkfifo(path.c_str(), 0666) == 0;
    case TargetKind::Device:
      return mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    case TargetKind::Socket: {
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      if (path.size() >= sizeof address.sun_path)
        return false;
      path.copy(address.sun_path, path.size());
      const int handle = socket(AF_UNIX, SOCK_STREAM, 0);
      const bool bound =
          handle >= 0 && bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
      if (handle >= 0)
        close(handle);
      return bound;
    }
  }
  return false;
}

std::string WrittenFileOf(TargetKind kind, const std::string& path) {
  if (kind == TargetKind::LinkToRegular || kind == TargetKind::DanglingLink)
    return (std::filesystem::path(path).parent_path() / "real" / "file").string();
  return path;
}

}  // namespace pinwright::testing
