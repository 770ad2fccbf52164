// FIFOs, devices and sockets as test targets on POSIX systems.
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include "support/tempdir.h"

namespace pinwright::testing {

bool MakeSpecialFile(TargetKind kind, const std::string& path) {
  switch (kind) {
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
    default:
      return false;
  }
}

void SetEnvironment(const char* name, const std::string& value) {
  setenv(name, value.c_str(), 1);
}

std::string DevicePath() {
  return "/dev/zero";
}

std::vector<EndingSignal> InterruptSignals() {
  return {{SIGINT, false},  {SIGTERM, false}, {SIGHUP, false},  {SIGUSR1, false},
          {SIGUSR2, false}, {SIGALRM, false}, {SIGPIPE, false}, {SIGRTMIN, false},
          {SIGQUIT, true},  {SIGABRT, true},  {SIGXFSZ, true}};
}

void NoCoreFiles() {
  const rlimit none{0, 0};
  setrlimit(RLIMIT_CORE, &none);
}

}  // namespace pinwright::testing
