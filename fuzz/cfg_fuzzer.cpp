// Arbitrary bytes as a .cfg file, through what the program runs on one: loading, saving it
// again, pinwright-cli show (as text and as JSON), the input checks, and for a record that
// passes them the board model, all five project texts and the pin list.
//
// Nothing here catches an exception: a record that passes the checks must generate, and one
// that does not must be refused with a reason.

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>

#include "build/buildproject.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/overrides.h"
#include "fail.h"
#include "outputs/pinlist.h"
#include "project/checkedproject.h"
#include "settings/configlarkspur.h"
#include "support/projectchecks.h"
#include "support/quiethost.h"

namespace pinwright::fuzzing {
namespace {

// One private folder for the life of the process, for the file under test and its copy.
const std::filesystem::path& WorkFolder() {
  static const std::filesystem::path folder = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "pinwright-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
      Fail("mkdtemp", std::strerror(errno));
    std::atexit([] { std::filesystem::remove_all(WorkFolder()); });
    return std::filesystem::path(pattern);
  }();
  return folder;
}

void WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
    Fail("writing the input file", path);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string RecordBytes(const TLarkspurSettings& settings) {
  return {reinterpret_cast<const char*>(&settings), sizeof settings};
}

void CheckLoad(const std::uint8_t* data, std::size_t size, TConfigLarkspur& config,
               const std::string& path) {
  // A failed load must leave the record as it was: start from a pattern no file gives.
  std::memset(static_cast<void*>(&config.Settings), 0x5A, sizeof config.Settings);
  const std::string before = RecordBytes(config.Settings);
  const Status loaded = config.LoadFile(path);
  if (size != kLarkspurRecordSize) {
    if (loaded)
      Fail("a file of the wrong size loaded", std::to_string(size));
    if (loaded.Error().Reason != "Invalid File Size.")
      Fail("reason for a wrong size", loaded.Error().Reason);
    if (RecordBytes(config.Settings) != before)
      Fail("a failed load changed the record", std::to_string(size));
    return;
  }
  if (!loaded)
    Fail("a 416-byte file did not load", loaded.Error().Reason);
  if (std::memcmp(&config.Settings, data, size) != 0)
    Fail("the record differs from the file", "");
}

void CheckSaveRoundTrip(TConfigLarkspur& config, const std::uint8_t* data) {
  const std::string copy = (WorkFolder() / "copy.cfg").string();
  // A new file each time: the copy of an earlier input may carry another board ID, and a
  // settings file of another board is not replaced without being asked to.
  std::error_code error;
  std::filesystem::remove(copy, error);
  if (!config.SaveFile(copy))
    Fail("saving the record", copy);
  if (ReadBytes(copy) != std::string(reinterpret_cast<const char*>(data), kLarkspurRecordSize))
    Fail("the saved file differs from the loaded one", "");
}

// pinwright-cli show prints any record to a terminal: no control byte of the file may reach
// it raw. Bytes from 0x80 up pass, so that UTF-8 text shows as itself. As JSON, not even a
// tab may stand raw (inside a string it would make the text invalid).
void CheckShow(const std::string& path) {
  for (const bool json : {false, true}) {
    cli::Request request;
    request.Which = cli::Command::Show;
    request.Json = json;
    request.Operands = {path};
    std::string out;
    if (cli::RunShow(request, out) != cli::kExitOk)
      Fail("show refused a 416-byte file", json ? "--json" : "");
    for (const char c : out) {
      const auto byte = static_cast<unsigned char>(c);
      if ((byte < 0x20 && c != '\n' && (json || c != '\t')) || byte == 0x7f)
        Fail(json ? "show --json printed a raw byte" : "show printed a raw byte",
             std::to_string(byte));
    }
  }
}

}  // namespace
}  // namespace pinwright::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pinwright;
  using namespace pinwright::fuzzing;
  testing::QuietHost host;

  const std::string path = (WorkFolder() / "input.cfg").string();
  WriteBytes(path, data, size);
  TConfigLarkspur config;
  CheckLoad(data, size, config, path);
  if (size != kLarkspurRecordSize)
    return 0;
  CheckSaveRoundTrip(config, data);

  CheckShow(path);

  const Result<CheckedSettings> checked = CheckLarkspurSettings(config.Settings);
  if (!checked) {
    if (checked.Error().Reason.empty())
      Fail("a refusal without a message", std::to_string(static_cast<int>(checked.Error().Kind)));
    return 0;
  }

  const std::string& projectName = checked->ProjectName();
  const Result<CheckedProject> project = CheckProject(*checked, projectName + ".qpf");
  if (!project)
    Fail("a checked record made no project", project.Error().Reason);
  const std::vector<ProjectFile> files = MakeProjectFiles(*project, host.Now());
  const std::string_view qsf = testing::FileText(files, ".qsf");
  for (const std::string& problem : testing::CheckProject(
           checked->Board(),
           {qsf, testing::FileText(files, ".v"), testing::FileText(files, ".sdc")})) {
    Fail("generated project", problem);
  }
  // The pin list has a pin for each I/O standard the settings file assigns, and a CSV line
  // for each pin below its header.
  const TPinManifest manifest = MakePinManifest(*checked, projectName);
  std::size_t assigned = 0;
  for (std::size_t at = qsf.find("-name IO_STANDARD"); at != std::string::npos;
       at = qsf.find("-name IO_STANDARD", at + 1)) {
    ++assigned;
  }
  const std::string csv = PinManifestCsv(manifest);
  if (manifest.Pins.size() != assigned ||
      static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')) != assigned + 1) {
    Fail("the pin list does not match the settings file", std::to_string(assigned));
  }
  (void)PinManifestJson(manifest, "\r\n");
  // The other top-level languages: a checked record passes their name check and renders
  // with its testbench, or is refused with a reason.
  for (const HdlLanguage language : {HdlLanguage::SystemVerilog, HdlLanguage::Vhdl}) {
    const Result<CheckedProject> other =
        CheckProject(*checked, projectName + ".qpf", {language, true});
    if (!other) {
      if (other.Error().Reason.empty())
        Fail("a name refusal without a message", std::string(HdlLanguageCaption(language)));
      continue;
    }
    const std::vector<ProjectFile> rendered = MakeProjectFiles(*other, host.Now());
    const std::string extension(HdlFileExtension(language));
    if (testing::FileText(rendered, extension).empty() ||
        testing::FileText(rendered, "_tb" + extension).empty())
      Fail("a checked record did not render", std::string(HdlLanguageCaption(language)));
  }
  if (host.Messages != 0 || host.AlertSounds != 0)
    Fail("a checked record made generation complain", std::to_string(host.Messages));
  (void)MemoryWarning(config.Settings);
  return 0;
}
