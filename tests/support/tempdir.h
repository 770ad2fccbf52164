// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/paths.h"

namespace pinwright::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return Root; }
  // The path of a file inside the folder, as the program's UTF-8 text.
  std::string File(const std::string& name) const {
    return Utf8FromPath(Root / PathFromUtf8(name));
  }
  // The folder with its trailing separator, as the host reports the executable's folder.
  std::string FolderWithSeparator() const { return Utf8FromPath(Root) + kFolderSeparator; }

 private:
  std::filesystem::path Root;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
// The names of everything in the folder, sorted.
std::vector<std::string> SortedFileNames(const std::filesystem::path& folder);

// What a save or a generation may find where it writes.
enum class TargetKind {
  Regular,        // "old" with mode 0640, which a replacement keeps
  ReadOnly,       // "old" with mode 0444
  LinkToRegular,  // a symbolic link to "old" in the folder "real" beside it
  DanglingLink,   // a symbolic link to a missing file in "real"
  Folder,
  Fifo,
  Device,  // a character device like /dev/null, made with mknod
  Socket,
};

struct TargetCase {
  const char* Name;
  TargetKind Kind;
  bool Written;        // replaced (through a link: the file the link names)
  const char* Reason;  // the reason after "Cannot create|replace PATH: " when refused
};

// Every kind, with what a writer must do with it.
std::vector<TargetCase> AllTargetKinds();

// Puts a target of the kind at path (its folder exists); false when the system does not
// allow it here (a device needs root), and the case is to be skipped.
bool MakeTarget(TargetKind kind, const std::string& path);

// The FIFO, device or socket of MakeTarget, made the system's own way (one file per system:
// nodefile_posix.cpp, nodefile_windows.cpp); false where the system has no such file.
bool MakeSpecialFile(TargetKind kind, const std::string& path);

// A signal that ends a program unless it is handled; Core when the system would also write
// a core file, so that the program ends by the signal itself rather than with an exit code.
struct EndingSignal {
  int Signal;
  bool Core;
};

// The signals that end a command-line run and that a test can raise in the program itself;
// none on Windows, whose console events only a console can send.
std::vector<EndingSignal> InterruptSignals();

// Keeps this process (a death test's child) from writing core files.
void NoCoreFiles();

// Sets an environment variable of this process.
void SetEnvironment(const char* name, const std::string& value);

// A device that reads endlessly or empty: /dev/zero, or NUL on Windows.
std::string DevicePath();

// The file a write to path must have replaced: the link's target for a link.
std::string WrittenFileOf(TargetKind kind, const std::string& path);

}  // namespace pinwright::testing
