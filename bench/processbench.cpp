// Times a command as a whole process: runs it many times, each time in a fresh empty folder
// that replaces "{dir}" in its arguments, and prints the median, spread and peak memory.
// The command's standard output is discarded; a failing run stops the measurement.
//
// Usage: pinwright_process_bench LABEL RUNS COMMAND [ARGUMENT...]
// Output: one line "LABEL runs=N median_us=.. min_us=.. p90_us=.. max_us=.. peak_rss_kb=..".

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Run {
  double Microseconds = 0;
  long PeakRssKb = 0;
};

std::string FreshFolder() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "pinwright-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    std::exit(2);
  }
  return pattern;
}

std::string Substitute(std::string text, const std::string& folder) {
  for (std::size_t at = text.find("{dir}"); at != std::string::npos; at = text.find("{dir}", at))
    text.replace(at, 5, folder);
  return text;
}

Run RunOnce(const std::vector<std::string>& command) {
  const std::string folder = FreshFolder();
  std::vector<std::string> arguments;
  for (const std::string& argument : command)
    arguments.push_back(Substitute(argument, folder));
  std::vector<char*> argv;
  for (std::string& argument : arguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);

  // The command's own output would only disturb the timing and the report.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    std::perror(argv[0]);
    std::exit(2);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) {
    std::perror("wait4");
    std::exit(2);
  }
  const auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed with status %d\n", argv[0], status);
    std::exit(1);
  }
  std::filesystem::remove_all(folder);
  return {std::chrono::duration<double, std::micro>(end - start).count(), usage.ru_maxrss};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s LABEL RUNS COMMAND [ARGUMENT...]\n", argv[0]);
    return 2;
  }
  const std::string label = argv[1];
  const int runs = std::atoi(argv[2]);
  const std::vector<std::string> command(argv + 3, argv + argc);

  RunOnce(command);  // warm the page cache and the dynamic loader
  std::vector<double> times;
  long peak = 0;
  for (int i = 0; i < runs; ++i) {
    const Run run = RunOnce(command);
    times.push_back(run.Microseconds);
    peak = std::max(peak, run.PeakRssKb);
  }
  std::sort(times.begin(), times.end());
  auto at = [&](double fraction) {
    return times[std::min(times.size() - 1, static_cast<std::size_t>(fraction * times.size()))];
  };
  std::printf("%s runs=%d median_us=%.0f min_us=%.0f p90_us=%.0f max_us=%.0f peak_rss_kb=%ld\n",
              label.c_str(), runs, at(0.5), times.front(), at(0.9), times.back(), peak);
  return 0;
}
