/* The floor for pinwright-cli generate: the least a program can do to put the same five files
 * in place the same safe way. It reads the five files of a reference project into memory, then
 * writes each to a temporary file in the target folder and renames it over the target, as the
 * command-line tool does. Linked statically, so no loader work counts against it.
 *
 * Usage: pinwright_floor REFERENCE_BASE TARGET_BASE
 *   e.g. pinwright_floor /ref/LARKSPUR /out/LARKSPUR writes /out/LARKSPUR.qpf ... .htm */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char* const kExtensions[] = {".qpf", ".qsf", ".v", ".sdc", ".htm"};
enum { kFiles = 5, kMaxBytes = 1 << 20, kMaxPath = 4096 };

static char gBytes[kFiles][kMaxBytes];
static ssize_t gSizes[kFiles];

static int ReadAll(const char* path, char* bytes, ssize_t* size) {
  const int fd = open(path, O_RDONLY);
  if (fd < 0)
    return -1;
  *size = read(fd, bytes, kMaxBytes);
  close(fd);
  return *size < 0 ? -1 : 0;
}

static int WriteReplacing(const char* path, const char* bytes, ssize_t size) {
  char temporary[kMaxPath + 8];
  snprintf(temporary, sizeof temporary, "%s.tmp", path);
  const int fd = open(temporary, O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0)
    return -1;
  const int written = write(fd, bytes, (size_t)size) == size;
  if (close(fd) != 0 || !written || rename(temporary, path) != 0) {
    unlink(temporary);
    return -1;
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fputs("usage: pinwright_floor REFERENCE_BASE TARGET_BASE\n", stderr);
    return 2;
  }
  char path[kMaxPath];
  for (int i = 0; i < kFiles; ++i) {
    snprintf(path, sizeof path, "%s%s", argv[1], kExtensions[i]);
    if (ReadAll(path, gBytes[i], &gSizes[i]) != 0) {
      perror(path);
      return 1;
    }
  }
  for (int i = 0; i < kFiles; ++i) {
    snprintf(path, sizeof path, "%s%s", argv[2], kExtensions[i]);
    if (WriteReplacing(path, gBytes[i], gSizes[i]) != 0) {
      perror(path);
      return 1;
    }
  }
  return 0;
}
